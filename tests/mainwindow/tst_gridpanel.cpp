#include "mainwindow/gridpanel.h"

#include "core/main.h"
#include "core/services.h"
#include "core/prompts.h"
#include "scriptedprompts.h"

#include <QtTest>

#include <memory>

using gridrules::TGridLayout;

namespace QTest {
template <> char *toString(const TGridCell &cell) { return qstrdup(QByteArray::number(cell.Column) + ',' + QByteArray::number(cell.Row)); }
template <> char *toString(const TGridLayout &size) { return qstrdup(qPrintable(size.Caption())); }
} // namespace QTest

class TestGridPanel : public QObject
{
    Q_OBJECT

    std::optional<TServices> m_services;  // fresh per test function
    std::unique_ptr<TAdvancedGridPanel> m_panel;
    std::vector<QWidget *> m_views;
    QList<QPair<int, bool>> m_pictureVisible;
    QList<int> m_selected;
    QList<int> m_fullScreen;

    // Cameras with plain widgets as views (each covered by a child, as a picture window covers a camera
    // view), placed in list order.
    void AddCameras(int count, bool place = true)
    {
        for (int i = 0; i < count; ++i) {
            App().Cameras.push_back(std::make_unique<TCamera>());
            App().Cameras.back()->Status = dsPlaying;
            auto *view = new QWidget;
            auto *picture = new QWidget(view);
            picture->setGeometry(0, 0, 1000, 1000);
            m_views.push_back(view);
            if (place)
                QVERIFY(m_panel->PlaceView(view));
        }
    }
    TGridCell Cell(int camera) const { return m_panel->CellOf(m_views[camera]); }
    TGridLayout Size() const { return {m_panel->ColumnCount(), m_panel->RowCount()}; }

private slots:
    void init()
    {
        m_panel.reset();
        m_services.emplace();
        m_views.clear();
        m_pictureVisible.clear();
        m_selected.clear();
        m_fullScreen.clear();
        m_panel = std::make_unique<TAdvancedGridPanel>();
        m_panel->resize(400, 300);
        m_panel->CameraView = [this](int i) { return i < int(m_views.size()) ? m_views[i] : nullptr; };
        m_panel->SetPictureVisible = [this](int i, bool visible) { m_pictureVisible.append({i, visible}); };
        m_panel->CameraSelected = [this](int i) { m_selected.append(i); };
        m_panel->ShowFullScreen = [this](int i) { m_fullScreen.append(i); };
        m_panel->show();
    }
    void cleanup()
    {
        m_panel.reset();
        m_services.reset();
    }

    void rulesWithoutWidgets()
    {
        // Growth: a column, then a row, never shrinking.
        const QList<QPair<int, TGridLayout>> grown = {{4, {2, 2}}, {5, {3, 2}}, {7, {3, 3}}, {10, {4, 3}}, {17, {5, 4}}};
        for (const auto &[cameras, size] : grown)
            QCOMPARE(gridrules::GrownSize(2, 2, cameras), size);
        QCOMPARE(gridrules::GrownSize(5, 5, 3), (TGridLayout{5, 5}));
        QCOMPARE(gridrules::GrownSize(2, 5, 5), (TGridLayout{3, 5}));

        // The button's stepping, and back to the smallest layout that holds all cameras after 8 x 8.
        const auto next = [](int columns, int rows, int cameras) {
            const int index = gridrules::NextLayoutIndex(columns, rows, cameras);
            return index < 0 ? TGridLayout{0, 0} : gridrules::Layouts()[index];
        };
        QCOMPARE(gridrules::Layouts().size(), size_t(13));
        QCOMPARE(next(2, 2, 0).Caption(), QStringLiteral("3 x 2"));
        QCOMPARE(next(2, 3, 1), (TGridLayout{3, 3}));
        QCOMPARE(next(8, 8, 10), (TGridLayout{4, 3}));
        QCOMPARE(next(9, 8, 70), (TGridLayout{0, 0}));

        // Two moves: (0,0) onto (1,1) with another at (1,0); then onto an empty cell.
        std::vector<TGridCell> cells = {{0, 0}, {1, 0}, {1, 1}};
        gridrules::MoveByTwoSteps(cells, 0, {1, 1});
        QCOMPARE(cells, (std::vector<TGridCell>{{1, 1}, {0, 0}, {1, 0}}));
        gridrules::MoveByTwoSteps(cells, 0, {0, 1});
        QCOMPARE(cells, (std::vector<TGridCell>{{0, 1}, {0, 0}, {1, 0}}));
    }

    void placementIsFixedUntilTheGridGrows()
    {
        AddCameras(4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Cell(i), (TGridCell{i % 2, i / 2}));
        QCOMPARE(m_views[3]->geometry(), QRect(210, 160, 180, 130)); // its cell less a 10-pixel margin
        AddCameras(1, false);
        QVERIFY(!m_panel->PlaceView(m_views[4]));

        m_panel->RealignGrid(0, 0);
        QCOMPARE(Size(), (TGridLayout{3, 2}));
        QCOMPARE(Cell(2), (TGridCell{0, 1}));
        QVERIFY(m_panel->PlaceView(m_views[4]));
        QCOMPARE(Cell(4), (TGridCell{2, 0}));
        // A cell of uneven width: the pixels left over go to the last column.
        QCOMPARE(m_panel->CellRect(2, 1), QRect(266, 150, 134, 150));

        // A requested cell that is taken gives the first free one; a deleted view frees its cell.
        auto *extra = new QWidget(m_panel.get());
        QVERIFY(m_panel->PlaceView(extra, 0, 0));
        QCOMPARE(m_panel->CellOf(extra), (TGridCell{2, 1}));
        delete extra;
        QVERIFY(m_panel->IsCellFree(2, 1));

        m_panel->RealignGrid(5, 5);
        m_panel->RealignGrid(0, 0);
        QCOMPARE(Size(), (TGridLayout{5, 5}));
    }

    void layoutCommands()
    {
        TScriptedPrompts prompts;
        m_panel->RealignGrid(3, 2);
        AddCameras(5);
        QVERIFY(!m_panel->ApplyLayout(2, 2));
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].kind, TPromptKind::Warning);
        QCOMPARE(prompts.log[0].text, QStringLiteral("The number of cameras is higher than desired size of grid."));
        QCOMPARE(Size(), (TGridLayout{3, 2}));
        QCOMPARE(Cell(4), (TGridCell{1, 1}));

        // On 3 x 3 with the cameras moved around, the button gives 4 x 3 packed in camera order.
        QVERIFY(m_panel->ApplyLayout(3, 3));
        m_panel->DropView(m_views[0], {2, 2});
        m_panel->DropView(m_views[3], {1, 2});
        m_panel->StepLayout();
        QCOMPARE(Size(), (TGridLayout{4, 3}));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(Cell(i), (TGridCell{i % 4, i / 4}));

        // On 8 x 8 with ten cameras it goes back to the smallest layout that holds them all.
        AddCameras(5);
        QVERIFY(m_panel->ApplyLayout(8, 8));
        m_panel->StepLayout();
        QCOMPARE(Size(), (TGridLayout{4, 3}));
        QCOMPARE(Cell(9), (TGridCell{1, 2}));
        QCOMPARE(prompts.log.size(), 1);
    }

    void draggingMovesViewsByTwoMoves()
    {
        AddCameras(3);
        m_panel->DropView(m_views[2], {1, 1}); // cameras at (0,0), (1,0) and (1,1)
        QCOMPARE(Cell(2), (TGridCell{1, 1}));
        m_pictureVisible.clear();

        // Pressed on camera 0's picture and released over the cell of camera 2.
        QWidget *picture = m_views[0]->findChild<QWidget *>();
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(App().SelCamIndex, 0);
        QCOMPARE(m_selected, QList<int>{0});
        QCOMPARE(m_pictureVisible, (QList<QPair<int, bool>>{{0, false}}));
        QCOMPARE(m_panel->DraggedView(), m_views[0]);
        QTest::mouseRelease(picture, Qt::LeftButton, {}, picture->mapFrom(m_panel.get(), QPoint(300, 220)));

        QCOMPARE(Cell(0), (TGridCell{1, 1}));
        QCOMPARE(Cell(1), (TGridCell{0, 0}));
        QCOMPARE(Cell(2), (TGridCell{1, 0}));
        QCOMPARE(m_views[0]->geometry(), QRect(210, 160, 180, 130));
        QCOMPARE(m_pictureVisible.last(), (QPair<int, bool>{0, true}));
        QVERIFY(!m_panel->DraggedView());

        // A click selects without moving; a release outside the grid moves nothing.
        QTest::mouseClick(m_views[1], Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(App().SelCamIndex, 1);
        QCOMPARE(Cell(1), (TGridCell{0, 0}));
        QTest::mousePress(m_views[1], Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(m_views[1], Qt::LeftButton, {}, QPoint(-50, 5));
        QCOMPARE(Cell(1), (TGridCell{0, 0}));

        // A camera never connected is neither dragged nor selected, and its picture stays.
        App().Cameras[2]->Status = dsStopped;
        m_pictureVisible.clear();
        QTest::mousePress(m_views[2], Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!m_panel->DraggedView());
        QCOMPARE(App().SelCamIndex, 1);
        QVERIFY(!m_pictureVisible.contains(QPair<int, bool>{2, false}));
        QTest::mouseRelease(m_views[2], Qt::LeftButton, {}, m_views[2]->mapFrom(m_panel.get(), QPoint(10, 10)));
        QCOMPARE(Cell(2), (TGridCell{1, 0}));
    }

    void drawingShowsTheSelection()
    {
        AddCameras(2);
        const QColor skyBlue(166, 202, 240);
        const auto skyBluePixels = [&](const QRect &area) {
            const QImage image = m_panel->grab().toImage();
            int count = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    count += image.pixelColor(x, y) == skyBlue;
            return count;
        };
        QCOMPARE(skyBluePixels(m_panel->rect()), 0);
        QCOMPARE(m_panel->grab().toImage().pixelColor(100, 225), QColor(Qt::black)); // inside a free cell

        App().SelCamIndex = 1;
        m_panel->update();
        QVERIFY(skyBluePixels(m_panel->CellRect(1, 0)) > 4 * 150);
        QCOMPARE(skyBluePixels(m_panel->CellRect(0, 0)) + skyBluePixels(m_panel->CellRect(0, 1)), 0);
        // The dotted silver frame runs over the thick one.
        const QImage image = m_panel->grab().toImage();
        int silver = 0;
        for (int y = 10; y < 140; ++y)
            silver += image.pixelColor(5, y) == QColor(192, 192, 192);
        QVERIFY(silver > 20 && silver < 130);
    }

    void fullScreenNeedsASelection()
    {
        TScriptedPrompts prompts;
        AddCameras(2);
        m_panel->FullScreen();
        QCOMPARE(prompts.log.size(), 1);
        QCOMPARE(prompts.log[0].text, QStringLiteral("Camera is not choosed"));
        QVERIFY(m_fullScreen.isEmpty());
        App().SelCamIndex = 1;
        m_panel->FullScreen();
        QCOMPARE(m_fullScreen, QList<int>{1});
        QCOMPARE(prompts.log.size(), 1);
    }
};

QTEST_MAIN(TestGridPanel)
#include "tst_gridpanel.moc"
