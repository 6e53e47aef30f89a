#pragma once
// The camera grid: a panel of equal cells in which every camera's view occupies one cell. It draws the
// cell frames and the selection, changes its size by the layout commands and by growth, and moves views
// between cells when a camera is dragged.
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QMenu;

struct TGridCell
{
    int Column = -1;
    int Row = -1;

    bool IsValid() const { return Column >= 0 && Row >= 0; }
    bool operator==(const TGridCell &) const = default;
};

// The grid rules, free of widgets.
namespace gridrules {

struct TGridLayout
{
    int Columns;
    int Rows;

    int Cells() const { return Columns * Rows; }
    QString Caption() const; // "4 x 3", never translated
    bool operator==(const TGridLayout &) const = default;
};

// The thirteen layouts of the "Camera Layout" menu, smallest first.
const std::vector<TGridLayout> &Layouts();

// Grow to fit: from 2 x 2 add a column, then a row, ... until the cameras fit (2 x 2, 3 x 2, 3 x 3, 4 x 3,
// ...); the result is never smaller than the current size in either direction.
TGridLayout GrownSize(int columns, int rows, int cameraCount);

// The "Camera Layout" button: the first layout with more cells than the grid has, or, when the grid has
// as many as the largest layout, the first that holds all cameras. -1 when none does.
int NextLayoutIndex(int columns, int rows, int cameraCount);

// The placement rule: the first free cell scanning rows from the top and, within a row, columns from the
// left; an invalid cell when the grid is full.
TGridCell FirstFreeCell(int columns, int rows, const std::vector<TGridCell> &occupied);

// Moves cells[moved] to target by two moves, first the column, then the row; each move puts whatever
// occupies the cell being entered into the cell being left.
void MoveByTwoSteps(std::vector<TGridCell> &cells, size_t moved, TGridCell target);

} // namespace gridrules

class TAdvancedGridPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TAdvancedGridPanel(QWidget *parent = nullptr); // 2 x 2, empty
    ~TAdvancedGridPanel() override;

    // Hooks set by the main window. Cameras are those of App().Cameras, by index.
    std::function<QWidget *(int cameraIndex)> CameraView;              // the camera's view, or null
    std::function<void(int cameraIndex, bool visible)> SetPictureVisible; // display 0 of its component
    std::function<void(int cameraIndex)> CameraSelected;               // a drag started: refresh the monitoring button
    std::function<void(int cameraIndex)> ShowFullScreen;               // display 0 full screen

    int ColumnCount() const { return m_columns; }
    int RowCount() const { return m_rows; }

    // Makes view a child shown in the given cell; a cell outside the grid, taken or not given (-1, -1)
    // means the first free cell. False when no cell is free.
    bool PlaceView(QWidget *view, int column = -1, int row = -1);
    // Takes the view out of the grid's cells; it stays a hidden child.
    void RemoveView(QWidget *view);
    TGridCell CellOf(const QWidget *view) const; // invalid when the view is not placed
    QWidget *ViewAt(int column, int row) const;
    bool IsCellFree(int column, int row) const;
    TGridCell FirstFreeCell() const;
    // A cell's rectangle: the width divided equally, the pixels left over going to the last column; rows
    // likewise.
    QRect CellRect(int column, int row) const;
    // The cell containing a point, scanning columns from the left and rows from the top.
    TGridCell CellAt(const QPoint &point) const;

    // (0, 0) grows the grid to hold all cameras, keeping its views; otherwise an empty grid of columns x
    // rows (views outside it are taken out). A size that cannot be built is reported.
    void RealignGrid(int columns, int rows);
    // A layout command: refused with a warning when the cameras do not fit, otherwise the grid is rebuilt
    // and the views packed in camera order.
    bool ApplyLayout(int columns, int rows);
    // The "Camera Layout" button.
    void StepLayout();
    // The "Full Screen" button.
    void FullScreen();
    // The thirteen layout commands as menu items.
    void AddLayoutActions(QMenu *menu);

    // Mouse pressed on a camera's view: a camera that has been connected hides its picture and starts
    // being dragged, which selects it. Released: the picture is shown again.
    void VGOnMouseDown(QWidget *view);
    void VGOnMouseUp(QWidget *view);
    // A drop: the view goes to the target cell by the two moves and its picture is shown again.
    void DropView(QWidget *view, TGridCell target);
    QWidget *DraggedView() const { return m_dragged; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void ViewDestroyed(QObject *view);

private:
    struct TPlacedView
    {
        QWidget *View;
        TGridCell Cell;
    };

    int CameraIndexOf(const QWidget *view) const;
    std::vector<TGridCell> OccupiedCells() const;
    void LayoutViews();

    int m_columns = 2;
    int m_rows = 2;
    std::vector<TPlacedView> m_placed;
    QWidget *m_dragged = nullptr;
};
