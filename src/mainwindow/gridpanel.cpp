#include "mainwindow/gridpanel.h"

#include "core/camerafile.h"
#include "core/log.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/translation.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace gridrules {

QString TGridLayout::Caption() const { return QStringLiteral("%1 x %2").arg(Columns).arg(Rows); }

const std::vector<TGridLayout> &Layouts()
{
    static const std::vector<TGridLayout> layouts = {{2, 2}, {3, 2}, {3, 3}, {4, 3}, {4, 4}, {5, 4}, {5, 5},
                                                     {6, 5}, {6, 6}, {7, 6}, {7, 7}, {8, 7}, {8, 8}};
    return layouts;
}

TGridLayout GrownSize(int columns, int rows, int cameraCount)
{
    TGridLayout fit{2, 2};
    while (fit.Cells() < cameraCount) {
        ++fit.Columns;
        if (fit.Cells() < cameraCount)
            ++fit.Rows;
    }
    return {std::max(columns, fit.Columns), std::max(rows, fit.Rows)};
}

int NextLayoutIndex(int columns, int rows, int cameraCount)
{
    const auto &layouts = Layouts();
    for (size_t i = 0; i < layouts.size(); ++i)
        if (layouts[i].Cells() > columns * rows)
            return int(i);
    for (size_t i = 0; i < layouts.size(); ++i)
        if (layouts[i].Cells() >= cameraCount)
            return int(i);
    return -1;
}

TGridCell FirstFreeCell(int columns, int rows, const std::vector<TGridCell> &occupied)
{
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            if (std::find(occupied.begin(), occupied.end(), TGridCell{column, row}) == occupied.end())
                return {column, row};
    return {};
}

void MoveByTwoSteps(std::vector<TGridCell> &cells, size_t moved, TGridCell target)
{
    const auto step = [&](TGridCell entered) {
        const TGridCell left = cells[moved];
        if (entered == left)
            return;
        for (TGridCell &other : cells)
            if (other == entered)
                other = left;
        cells[moved] = entered;
    };
    step({target.Column, cells[moved].Row});
    step(target);
}

} // namespace gridrules

namespace {
const QColor SelectionColour(166, 202, 240); // sky blue
const QColor FrameColour(192, 192, 192);     // silver
constexpr int FrameInset = 5;
constexpr int ViewMargin = 10;
} // namespace

TAdvancedGridPanel::TAdvancedGridPanel(QWidget *parent) : QWidget(parent) {}

TAdvancedGridPanel::~TAdvancedGridPanel()
{
    // The child views are deleted by the base class after this object's members are gone.
    for (QObject *child : children())
        disconnect(child, &QObject::destroyed, this, nullptr);
}

int TAdvancedGridPanel::CameraIndexOf(const QWidget *view) const
{
    if (!view || !CameraView)
        return -1;
    for (size_t i = 0; i < App().Cameras.size(); ++i)
        if (CameraView(int(i)) == view)
            return int(i);
    return -1;
}

std::vector<TGridCell> TAdvancedGridPanel::OccupiedCells() const
{
    std::vector<TGridCell> cells;
    for (const TPlacedView &placed : m_placed)
        cells.push_back(placed.Cell);
    return cells;
}

bool TAdvancedGridPanel::PlaceView(QWidget *view, int column, int row)
{
    if (!view)
        return false;
    RemoveView(view);
    TGridCell cell{column, row};
    if (column >= m_columns || row >= m_rows || !cell.IsValid() || !IsCellFree(column, row))
        cell = FirstFreeCell();
    if (!cell.IsValid())
        return false;
    if (view->parentWidget() != this)
        view->setParent(this);
    connect(view, &QObject::destroyed, this, &TAdvancedGridPanel::ViewDestroyed, Qt::UniqueConnection);
    view->installEventFilter(this);
    m_placed.push_back({view, cell});
    LayoutViews();
    update();
    return true;
}

void TAdvancedGridPanel::ViewDestroyed(QObject *view)
{
    // Only the address is compared: the view is no longer a widget here.
    std::erase_if(m_placed, [view](const TPlacedView &placed) { return placed.View == view; });
    if (m_dragged == view)
        m_dragged = nullptr;
    update();
}

void TAdvancedGridPanel::RemoveView(QWidget *view)
{
    const auto found = std::find_if(m_placed.begin(), m_placed.end(),
                                    [view](const TPlacedView &placed) { return placed.View == view; });
    if (found == m_placed.end())
        return;
    m_placed.erase(found);
    view->removeEventFilter(this);
    view->hide();
    if (m_dragged == view)
        m_dragged = nullptr;
    update();
}

TGridCell TAdvancedGridPanel::CellOf(const QWidget *view) const
{
    for (const TPlacedView &placed : m_placed)
        if (placed.View == view)
            return placed.Cell;
    return {};
}

QWidget *TAdvancedGridPanel::ViewAt(int column, int row) const
{
    for (const TPlacedView &placed : m_placed)
        if (placed.Cell == TGridCell{column, row})
            return placed.View;
    return nullptr;
}

bool TAdvancedGridPanel::IsCellFree(int column, int row) const { return !ViewAt(column, row); }

TGridCell TAdvancedGridPanel::FirstFreeCell() const
{
    return gridrules::FirstFreeCell(m_columns, m_rows, OccupiedCells());
}

QRect TAdvancedGridPanel::CellRect(int column, int row) const
{
    const int cellWidth = width() / m_columns;
    const int cellHeight = height() / m_rows;
    const int left = column * cellWidth;
    const int top = row * cellHeight;
    const int right = column == m_columns - 1 ? width() : left + cellWidth;
    const int bottom = row == m_rows - 1 ? height() : top + cellHeight;
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

TGridCell TAdvancedGridPanel::CellAt(const QPoint &point) const
{
    for (int column = 0; column < m_columns; ++column)
        for (int row = 0; row < m_rows; ++row)
            if (CellRect(column, row).contains(point))
                return {column, row};
    return {};
}

void TAdvancedGridPanel::RealignGrid(int columns, int rows)
{
    const gridrules::TGridLayout size = columns == 0 && rows == 0
                                            ? gridrules::GrownSize(m_columns, m_rows, int(App().Cameras.size()))
                                            : gridrules::TGridLayout{columns, rows};
    if (size.Columns < 1 || size.Rows < 1 || size.Columns > MaxGridSide || size.Rows > MaxGridSide) {
        ReportError(Translate(QStringLiteral("Could not realign grid.")), true);
        return;
    }
    m_columns = size.Columns;
    m_rows = size.Rows;
    std::vector<QWidget *> outside;
    for (const TPlacedView &placed : m_placed)
        if (placed.Cell.Column >= m_columns || placed.Cell.Row >= m_rows)
            outside.push_back(placed.View);
    for (QWidget *view : outside)
        RemoveView(view);
    LayoutViews();
    update();
}

bool TAdvancedGridPanel::ApplyLayout(int columns, int rows)
{
    if (columns * rows < int(App().Cameras.size())) {
        Prompts().Message(TPromptKind::Warning, ApplicationTitle,
                          Translate(QStringLiteral("The number of cameras is higher than desired size of grid.")));
        return false;
    }
    while (!m_placed.empty())
        RemoveView(m_placed.back().View);
    RealignGrid(columns, rows);
    for (size_t i = 0; CameraView && i < App().Cameras.size(); ++i)
        if (QWidget *view = CameraView(int(i)))
            PlaceView(view);
    return true;
}

void TAdvancedGridPanel::StepLayout()
{
    const int index = gridrules::NextLayoutIndex(m_columns, m_rows, int(App().Cameras.size()));
    if (index >= 0)
        ApplyLayout(gridrules::Layouts()[index].Columns, gridrules::Layouts()[index].Rows);
}

void TAdvancedGridPanel::FullScreen()
{
    const int selected = App().SelCamIndex;
    if (selected < 0 || selected >= int(App().Cameras.size())) {
        Prompts().Message(TPromptKind::Warning, ApplicationTitle, Translate(QStringLiteral("Camera is not choosed")));
        return;
    }
    if (ShowFullScreen)
        ShowFullScreen(selected);
}

void TAdvancedGridPanel::AddLayoutActions(QMenu *menu)
{
    for (const gridrules::TGridLayout &layout : gridrules::Layouts())
        connect(menu->addAction(layout.Caption()), &QAction::triggered, this,
                [this, layout] { ApplyLayout(layout.Columns, layout.Rows); });
}

void TAdvancedGridPanel::VGOnMouseDown(QWidget *view)
{
    const int index = CameraIndexOf(view);
    if (index < 0 || App().Cameras[index]->Status != dsPlaying)
        return;
    if (SetPictureVisible)
        SetPictureVisible(index, false);
    // The drag starts at once, without a movement threshold, and selects the camera.
    m_dragged = view;
    App().SelCamIndex = index;
    update();
    if (CameraSelected)
        CameraSelected(index);
}

void TAdvancedGridPanel::VGOnMouseUp(QWidget *view)
{
    if (m_dragged == view)
        m_dragged = nullptr;
    const int index = CameraIndexOf(view);
    if (index >= 0 && SetPictureVisible)
        SetPictureVisible(index, true);
}

void TAdvancedGridPanel::DropView(QWidget *view, TGridCell target)
{
    const auto moved = std::find_if(m_placed.begin(), m_placed.end(),
                                    [view](const TPlacedView &placed) { return placed.View == view; });
    if (moved == m_placed.end() || !target.IsValid() || target.Column >= m_columns || target.Row >= m_rows)
        return;
    std::vector<TGridCell> cells = OccupiedCells();
    gridrules::MoveByTwoSteps(cells, size_t(moved - m_placed.begin()), target);
    for (size_t i = 0; i < cells.size(); ++i)
        m_placed[i].Cell = cells[i];
    LayoutViews();
    update();
    const int index = CameraIndexOf(view);
    if (index >= 0 && SetPictureVisible)
        SetPictureVisible(index, true);
}

void TAdvancedGridPanel::LayoutViews()
{
    for (const TPlacedView &placed : m_placed) {
        placed.View->setGeometry(
            CellRect(placed.Cell.Column, placed.Cell.Row).adjusted(ViewMargin, ViewMargin, -ViewMargin, -ViewMargin));
        placed.View->show();
    }
}

void TAdvancedGridPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);

    TGridCell selected;
    const int index = App().SelCamIndex;
    if (index >= 0 && index < int(App().Cameras.size()) && CameraView)
        selected = CellOf(CameraView(index));

    painter.setBrush(Qt::NoBrush);
    for (int column = 0; column < m_columns; ++column)
        for (int row = 0; row < m_rows; ++row) {
            const QRect frame =
                CellRect(column, row).adjusted(FrameInset, FrameInset, -FrameInset, -FrameInset);
            const bool isSelected = selected == TGridCell{column, row};
            painter.setPen(QPen(isSelected ? SelectionColour : QColor(Qt::black), FrameInset));
            painter.drawRect(frame);
            painter.setPen(QPen(FrameColour, 1, Qt::DotLine));
            painter.drawRect(frame);
        }
}

void TAdvancedGridPanel::resizeEvent(QResizeEvent *) { LayoutViews(); }

bool TAdvancedGridPanel::eventFilter(QObject *watched, QEvent *event)
{
    auto *view = qobject_cast<QWidget *>(watched);
    if (!view || !CellOf(view).IsValid())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        VGOnMouseDown(view);
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragged == view) {
            // The release arrives at the view the press grabbed; the drop point is where the mouse is now.
            const QPoint point = view->mapTo(this, static_cast<QMouseEvent *>(event)->position().toPoint());
            if (const TGridCell target = CellAt(point); target.IsValid())
                DropView(view, target);
        }
        VGOnMouseUp(view);
        break;
    default:
        break;
    }
    return false;
}
