// "Add Camera", "Remove" and "Edit" end to end: the real dialog, grid, lifecycle and camera list file, with
// cam.dat read back after every command.
#include "cameradialog/newcapturedevice.h"
#include "capture/capturecomponent.h"
#include "core/main.h"
#include "core/prompts.h"
#include "core/services.h"
#include "mainwindow/cameralistcommands.h"
#include "mainwindow/camerawiring.h"
#include "mainwindow/gridpanel.h"
#include "mainwindow/mainform.h"
#include "testpaths.h"

#include "freshservices.h"
#include "recordingsubsystems.h"
#include "sandboxhome.h"
#include "scriptedprompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

// What cam.dat says: grid size, and per camera its title, address and cell.
struct TCamDat
{
    int Columns = 0, Rows = 0;
    QStringList Titles;
    QStringList Addresses;
    QList<TGridCell> Cells;
};

QString ReadText(QDataStream &in)
{
    qint32 n = 0;
    in >> n;
    QString text(n, Qt::Uninitialized);
    for (qint32 i = 0; i < n; ++i) {
        quint16 unit = 0;
        in >> unit;
        text[i] = QChar(unit);
    }
    return text;
}

std::optional<TCamDat> ReadCamDat(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QDataStream in(&file);
    in.setByteOrder(QDataStream::LittleEndian);
    in.setFloatingPointPrecision(QDataStream::DoublePrecision);
    qint32 format, columns, rows, count, value;
    quint8 flag;
    double time;
    in >> format >> columns >> rows >> count;
    TCamDat dat{columns, rows, {}, {}, {}};
    for (int c = 0; c < count; ++c) {
        dat.Titles << ReadText(in);
        ReadText(in);                      // ActualName
        in >> value >> value >> flag;      // Kind, resolution, authentication
        ReadText(in);                      // user name
        ReadText(in);                      // password
        const QString port = ReadText(in);
        const QString ip = ReadText(in);
        dat.Addresses << ip + u':' + port + u'/' + ReadText(in);
        ReadText(in);                      // device identity
        in >> flag >> flag;
        for (int i = 0; i < 14; ++i)
            in >> time;
        qint32 dates;
        in >> dates;
        for (int i = 0; i < dates * 3; ++i)
            in >> time;
        in >> value >> flag >> value >> flag >> value >> value >> value; // detection, recording
        in >> flag >> value >> value >> value >> value;                  // alarm
        in >> flag >> flag >> flag >> flag;
        for (int i = 0; i < 8; ++i)
            ReadText(in);
        in >> value >> value >> value >> value >> flag;
        for (int i = 0; i < 3; ++i)
            ReadText(in);
        qint32 col, row;
        in >> col >> row;
        dat.Cells << TGridCell{col, row};
    }
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    return dat;
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCameraListCommands : public QObject
{
    Q_OBJECT

    TFreshServices m_services;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TScriptedPrompts> m_prompts;

    struct TWindow
    {
        TMainForm Form;
        TCameraWiring Wiring;
        QStringList Steps;
        TRecordingSubsystems Others{Steps};
        TCameraListCommands Commands{Form, Wiring, Others};
        explicit TWindow(const QString &folder)
            : Form(TMainFormOptions{false, folder}), Wiring(Form)
        {
            Form.Plug({Wiring, Commands, Others, Others, Others, Others});
        }
    };
    std::unique_ptr<TWindow> m_window;

    QString CamDatPath() const { return m_dir->path() + "/Ostrivo/cam.dat"; }
    TAdvancedGridPanel &Grid() { return *m_window->Wiring.Grid(); }
    TGridCell CellOf(int index) { return Grid().CellOf(App().Cameras[size_t(index)]->Grabber); }
    QStringList Titles() const
    {
        QStringList titles;
        for (const auto &camera : App().Cameras)
            titles << camera->CustomTitle;
        return titles;
    }
    QString LastLogLine() const
    {
        QListWidget *log = m_window->Form.MsgBox;
        return log->count() ? log->item(log->count() - 1)->text() : QString();
    }

    // Runs the command while the dialog is answered: fill changes the fields, then OK or Cancel is pressed.
    void RunWithDialog(void (TCameraListCommands::*command)(), const std::function<void(TDevForm &)> &fill,
                       bool ok)
    {
        TCameraListCommands &commands = m_window->Commands;
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            TDevForm &dialog = commands.Dialog();
            QVERIFY(dialog.isVisible());
            if (fill)
                fill(dialog);
            (ok ? dialog.btnOK : dialog.btnCancel)->click();
            answered = true;
        });
        (commands.*command)();
        QVERIFY(answered);
    }
    void AddCamera(const QString &title, bool ok = true)
    {
        RunWithDialog(&TCameraListCommands::AddCamera,
                      [title](TDevForm &d) {
                          d.edTitle->setText(title);
                          d.edIP->setText("127.0.0.1");
                          d.edPort->setText("1"); // nothing answers there: the camera stays down
                      },
                      ok);
    }

private slots:
    void init()
    {
        m_services.Renew();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompts = std::make_unique<TScriptedPrompts>();
        Services().ProgramFolder = TestBinDir();
        m_window = std::make_unique<TWindow>(m_dir->path());
        QVERIFY(m_window->Form.Startup());
        m_window->Form.resize(1000, 700);
        m_window->Form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window->Form));
    }
    void cleanup()
    {
        if (m_window && !m_window->Form.HasEnded())
            m_window->Form.RequestClose();
        m_window.reset();
        m_prompts.reset();
        m_dir.reset();
        m_services.End();
    }

    void addingFillsTheGridAndTheFifthCameraGrowsIt()
    {
        // Cancelling leaves the list and the (absent) file alone.
        AddCamera("Never", false);
        QVERIFY(App().Cameras.empty());
        QVERIFY(!QFile::exists(CamDatPath()));

        const QList<TGridCell> cells = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        for (int i = 0; i < 4; ++i) {
            AddCamera(QString("Cam %1").arg(i + 1));
            QCOMPARE(LastLogLine().section(" - ", 1), QString("Added new camera Cam %1").arg(i + 1));
            const auto dat = ReadCamDat(CamDatPath());
            QVERIFY(dat);
            QCOMPARE(dat->Titles.size(), i + 1);
            QCOMPARE(dat->Cells.last(), cells[i]);
            QCOMPARE((std::pair{dat->Columns, dat->Rows}), (std::pair{2, 2}));
        }
        QCOMPARE(App().SelCamIndex, -1);
        AddCamera("Cam 5");
        QCOMPARE((std::pair{Grid().ColumnCount(), Grid().RowCount()}), (std::pair{3, 2}));
        QCOMPARE(CellOf(4), (TGridCell{2, 0}));
        const auto dat = ReadCamDat(CamDatPath());
        QVERIFY(dat);
        QCOMPARE((std::pair{dat->Columns, dat->Rows}), (std::pair{3, 2}));
        QCOMPARE(dat->Titles, (QStringList{"Cam 1", "Cam 2", "Cam 3", "Cam 4", "Cam 5"}));
        QCOMPARE(dat->Addresses.last(), QString("127.0.0.1:1/video.mjpg")); // the first catalogue model's template
        QCOMPARE(dat->Cells.last(), (TGridCell{2, 0}));
        QVERIFY(App().Cameras.back()->Grabber);

        // Cancelling with cameras present does not touch the file.
        const QByteArray before = FileBytes(CamDatPath());
        AddCamera("Not this one", false);
        QCOMPARE(App().Cameras.size(), size_t(5));
        QCOMPARE(FileBytes(CamDatPath()), before);
    }

    void removingTheSecondOfFour()
    {
        for (const char *title : {"A", "B", "C", "D"})
            AddCamera(title);
        // Nothing selected: the warning only.
        m_window->Form.ToolButton1Click();
        QCOMPARE(m_prompts->log.last().text, QString("Camera is not choosed"));
        QCOMPARE(App().Cameras.size(), size_t(4));

        App().SelCamIndex = 1;
        m_prompts->answers = {false};
        m_window->Form.ToolButton1Click();
        QCOMPARE(m_prompts->log.last().text, QString("Remove camera B?"));
        QCOMPARE(App().Cameras.size(), size_t(4));
        QCOMPARE(App().SelCamIndex, 1);

        m_prompts->answers = {true};
        m_window->Form.ToolButton1Click();
        QCOMPARE(Titles(), (QStringList{"A", "C", "D"}));
        QCOMPARE(App().SelCamIndex, -1);
        QCOMPARE(LastLogLine().section(" - ", 1), QString("Camera is removed: B"));
        QVERIFY(Grid().IsCellFree(1, 0));
        QCOMPARE(CellOf(1), (TGridCell{0, 1}));
        QCOMPARE(CellOf(2), (TGridCell{1, 1}));
        QCOMPARE((std::pair{Grid().ColumnCount(), Grid().RowCount()}), (std::pair{2, 2}));
        const auto dat = ReadCamDat(CamDatPath());
        QVERIFY(dat);
        QCOMPARE(dat->Titles, (QStringList{"A", "C", "D"}));
        QCOMPARE(dat->Cells, (QList<TGridCell>{{0, 0}, {0, 1}, {1, 1}}));

        // The next camera takes the freed cell.
        AddCamera("E");
        QCOMPARE(CellOf(3), (TGridCell{1, 0}));
    }

    void editingStoresOnOkAndRewritesTheFileOnCancel()
    {
        AddCamera("Old");
        m_window->Form.ToolButton2Click();
        QCOMPARE(m_prompts->log.last().text, QString("Camera is not choosed"));

        App().SelCamIndex = 0;
        QString title;
        RunWithDialog(&TCameraListCommands::EditCamera,
                      [&title](TDevForm &d) {
                          title = d.windowTitle();
                          QCOMPARE(d.edTitle->text(), QString("Old"));
                          d.edTitle->setText("New");
                          d.edPort->setText("2");
                      },
                      true);
        QCOMPARE(title, QString("Edit Capture Device"));
        QCOMPARE(LastLogLine().section(" - ", 1), QString("Configured camera New"));
        QCOMPARE(App().SelCamIndex, 0);
        QCOMPARE(App().Cameras[0]->Grabber->IPCameraURL(), QString("http://127.0.0.1:2/video.mjpg"));
        auto dat = ReadCamDat(CamDatPath());
        QVERIFY(dat);
        QCOMPARE(dat->Titles, QStringList{"New"});
        QCOMPARE(dat->Addresses, QStringList{"127.0.0.1:2/video.mjpg"});

        // Cancel: the record stays, the file is written again with the same content.
        const QByteArray before = FileBytes(CamDatPath());
        QVERIFY(QFile::remove(CamDatPath()));
        RunWithDialog(&TCameraListCommands::EditCamera, [](TDevForm &d) { d.edTitle->setText("Ignored"); }, false);
        QCOMPARE(App().Cameras[0]->CustomTitle, QString("New"));
        QCOMPARE(FileBytes(CamDatPath()), before);
    }

    void theFirstReconnectionTickOffersTheDialogOnce()
    {
        QString title;
        QTimer::singleShot(300, this, [&] {
            TDevForm &dialog = m_window->Commands.Dialog();
            title = dialog.isVisible() ? dialog.windowTitle() : QString();
            dialog.edTitle->setText("First");
            dialog.edIP->setText("127.0.0.1");
            dialog.btnOK->click();
        });
        m_window->Form.ReconnectTimerOnTimer();
        QTRY_COMPARE(App().Cameras.size(), size_t(1));
        QCOMPARE(title, QString("New Capture Device"));
        QVERIFY(ReadCamDat(CamDatPath()));
    }
};

QTEST_MAIN(TestCameraListCommands)
#include "tst_cameralistcommands.moc"
