// The cameras in the main window through the real grid, lifecycle and camera list file: dragging a view
// onto another cell, and the arrangement kept across a shutdown and the next start.
#include "capture/capturecomponent.h"
#include "core/main.h"
#include "core/prompts.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/gridpanel.h"
#include "mainwindow/mainform.h"
#include "runtime/runtimeservices.h"
#include "sandboxhome.h"
#include "testpaths.h"

#include "recordingsubsystems.h"
#include "scriptedprompts.h"
#include "core/services.h"
#include <QtTest>

namespace {

TGridCell CellOf(const TAdvancedGridPanel &grid, int index)
{
    return grid.CellOf(App().Cameras[size_t(index)]->Grabber);
}

} // namespace

class TestCameraSystem : public QObject
{
    Q_OBJECT

    std::optional<TRuntimeServices> m_services;  // fresh per test function
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TScriptedPrompts> m_prompts;

    struct TWindow
    {
        TMainForm Form;
        TCameraWiring Wiring;
        QStringList Steps;
        TRecordingSubsystems Others{Steps};
        explicit TWindow(const QString &folder)
            : Form(TMainFormOptions{false, folder}), Wiring(Form)
        {
            Form.Plug(Others.With(Wiring));
        }
    };

    std::unique_ptr<TWindow> StartWindow()
    {
        auto window = std::make_unique<TWindow>(m_dir->path());
        if (!window->Form.Startup())
            return nullptr;
        window->Form.resize(1000, 800);
        window->Form.show();
        if (!QTest::qWaitForWindowExposed(&window->Form))
            return nullptr;
        return window;
    }

    TCamera &AddStoredCamera(TCameraWiring &wiring, const QString &title, int col, int row)
    {
        auto camera = std::make_unique<TCamera>();
        camera->CustomTitle = title;
        camera->ipcam_IP = "127.0.0.1";
        camera->ipcam_Port = "1"; // nothing answers: the picture stays down
        camera->ipcam_URL = "video.mjpg";
        App().Cameras.push_back(std::move(camera));
        wiring.CreateCamera(*App().Cameras.back(), col, row);
        return *App().Cameras.back();
    }

private slots:
    void init()
    {
        m_services.emplace();
        Services().ProgramFolder = TestBinDir();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompts = std::make_unique<TScriptedPrompts>();
    }
    void cleanup()
    {
        m_prompts.reset();
        m_dir.reset();
        m_services.reset();
    }

    void dragMovesUpToTwoViewsAndTheArrangementIsKept()
    {
        auto window = StartWindow();
        QVERIFY(window);
        TAdvancedGridPanel *grid = window->Wiring.Grid();
        QVERIFY(grid);
        QCOMPARE(window->Form.CameraGridWidget(), grid);
        TCamera &dragged = AddStoredCamera(window->Wiring, "Dragged", 0, 0);
        AddStoredCamera(window->Wiring, "Beside", 1, 0);
        AddStoredCamera(window->Wiring, "Target", 1, 1);
        TCamera &never = AddStoredCamera(window->Wiring, "Never connected", 0, 1);
        never.Status = dsStopped;
        QVERIFY(m_prompts->log.isEmpty());

        // A camera that was never connected is not dragged.
        QTest::mousePress(never.Grabber, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(never.Grabber->DisplayVisible(0));
        QCOMPARE(App().SelCamIndex, -1);
        QTest::mouseRelease(never.Grabber, Qt::LeftButton, {}, QPoint(20, 20));

        // (0, 0) dropped on (1, 1) while a camera sits at (1, 0).
        QTest::mousePress(dragged.Grabber, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!dragged.Grabber->DisplayVisible(0));
        QCOMPARE(App().SelCamIndex, 0);
        const QPoint target = dragged.Grabber->mapFrom(grid, grid->CellRect(1, 1).center());
        QTest::mouseRelease(dragged.Grabber, Qt::LeftButton, {}, target);
        QVERIFY(dragged.Grabber->DisplayVisible(0));
        QCOMPARE(CellOf(*grid, 0), (TGridCell{1, 1}));
        QCOMPARE(CellOf(*grid, 1), (TGridCell{0, 0}));
        QCOMPARE(CellOf(*grid, 2), (TGridCell{1, 0}));
        QCOMPARE(CellOf(*grid, 3), (TGridCell{0, 1}));

        // A larger layout repacks; shutdown writes the list, the next start reads it back as it was.
        window->Form.N2Cells1Click(3, 2);
        QCOMPARE(CellOf(*grid, 3), (TGridCell{0, 1}));
        window->Wiring.Grid()->DropView(dragged.Grabber, {2, 1});
        QVERIFY(window->Form.RequestClose());
        QVERIFY(App().Cameras.empty());
        window.reset();
        QFile camDat(m_dir->path() + "/Ostrivo/cam.dat");
        QVERIFY(camDat.open(QIODevice::ReadOnly));
        const QByteArray written = camDat.readAll();
        camDat.close();

        window = StartWindow();
        QVERIFY(window);
        grid = window->Wiring.Grid();
        QCOMPARE(App().Cameras.size(), size_t(4));
        QCOMPARE(grid->ColumnCount(), 3);
        QCOMPARE(grid->RowCount(), 2);
        QCOMPARE(App().Cameras[0]->CustomTitle, QString("Dragged"));
        QCOMPARE(CellOf(*grid, 0), (TGridCell{2, 1}));
        QCOMPARE(CellOf(*grid, 1), (TGridCell{1, 0}));
        QCOMPARE(App().Cameras[0]->Grabber->CurrentState(), cs_Down); // started only by the first tick
        QVERIFY(window->Form.RequestClose());
        QVERIFY(camDat.open(QIODevice::ReadOnly));
        QCOMPARE(camDat.readAll(), written);
        QVERIFY(m_prompts->log.isEmpty());
    }
};

QTEST_MAIN(TestCameraSystem)
#include "tst_camerasystem.moc"
