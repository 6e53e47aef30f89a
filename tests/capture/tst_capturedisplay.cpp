// What the capture component shows: pictures, overlays by target code, per-frame drawing, full screen.
#include "capture/displaypicture.h"
#include "capturetesthelpers.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QColor Blue(0, 0, 128);

std::unique_ptr<TAdvancedCaptureComponent> PushedCamera(QSize size = {320, 240})
{
    auto c = std::make_unique<TAdvancedCaptureComponent>();
    c->resize(size);
    c->SetBevelOuter(bvNone);
    c->SetColor(Qt::yellow);
    c->SetVideoSource(vs_JPEGsOrBitmaps);
    c->SetDisplayEmbedded(0, true);
    c->SetDisplayAspectRatio(0, ar_Stretch);
    c->show();
    return c;
}

// Pushes one blue 160 x 120 picture and waits until it is on screen.
bool ShowBluePicture(TCaptureComponent &c, TEventRecorder &events)
{
    const int before = events.Frames;
    if (!c.PushFrame(SolidFrame({160, 120}, Blue), 0))
        return false;
    return QTest::qWaitFor([&] { return events.Frames > before; }, 3000);
}

void SetUpText(TCaptureComponent &c, int slot, const QString &text, int target, int size = 14)
{
    c.SetTextOverlay_Selector(slot);
    c.SetTextOverlay_String(text);
    c.TextOverlay_Font().Size = size;
    c.TextOverlay_Font().Bold = true;
    c.TextOverlay_Font().Color = Qt::white;
    c.SetTextOverlay_Left(5);
    c.SetTextOverlay_Top(5);
    c.SetTextOverlay_TargetDisplay(target);
    c.SetTextOverlay_Enabled(true);
}

} // namespace

class TestCaptureDisplay : public QObject
{
    Q_OBJECT

private slots:
    // -3 text stands on the empty control (before and while connecting) and is gone once a picture runs.
    void downOverlayOnlyWhileTheControlIsEmpty()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        SetUpText(*c, 0, QStringLiteral("Connecting to Cam..."), TargetDisplay_WhenDown);
        const QRect band(0, 0, 320, 40);
        QVERIFY(CountPixels(c->grab().toImage(), band, Qt::white) > 20);
        QVERIFY(CountPixels(c->grab().toImage(), QRect(0, 100, 320, 140), Qt::yellow, 0) > 40000);
        c->StartPreview();
        QVERIFY(CountPixels(c->grab().toImage(), band, Qt::white) > 20);
        QVERIFY(ShowBluePicture(*c, events));
        QCOMPARE(CountPixels(c->grab().toImage(), band, Qt::white), 0);
        QVERIFY(CountPixels(c->grab().toImage(), c->rect(), Blue, 5) > 70000);
        c->StopPreview();
        QVERIFY(CountPixels(c->grab().toImage(), band, Qt::white) > 20);
        QCOMPARE(CountPixels(c->grab().toImage(), c->rect(), Blue, 5), 0);
    }

    // -2 overlays are on the shown picture but never in the frames; -1 overlays are in both.
    void liveOverlaysOnTheDisplayOnly()
    {
        QTemporaryDir dir;
        const QString iconFile = dir.filePath(QStringLiteral("icon.png"));
        QImage icon(32, 32, QImage::Format_RGB32);
        icon.fill(Qt::black);  // the border becomes transparent
        for (int y = 8; y < 24; ++y)
            for (int x = 8; x < 24; ++x)
                icon.setPixel(x, y, qRgb(255, 0, 0));
        QVERIFY(icon.save(iconFile));

        auto c = PushedCamera();
        TEventRecorder events(*c);
        SetUpText(*c, 1, QStringLiteral("TITLE"), TargetDisplay_LiveOnly, 20);
        c->SetTextOverlay_Align(1, tf_Center);
        QVERIFY(c->SetImageOverlayFromImageFile2(0, iconFile));
        QVERIFY(!c->SetImageOverlayFromImageFile2(1, dir.filePath(QStringLiteral("missing.png"))));
        c->SetImageOverlay_Transparent(0, true);
        c->SetImageOverlay_UseTransparentColor(0, true);
        c->SetImageOverlay_TransparentColorValue(0, Qt::black);
        c->SetImageOverlay_AlphaBlend(0, true);
        c->SetImageOverlay_AlphaBlendValue(0, 170);
        c->SetImageOverlay_Width(0, 64);
        c->SetImageOverlay_Height(0, 64);
        c->SetImageOverlay_VideoAlignment(0, oa_LeftBottom);
        c->SetImageOverlay_TargetDisplay(0, TargetDisplay_LiveOnly);
        c->SetImageOverlay_Enabled(0, true);
        SetUpText(*c, 2, QStringLiteral("REC"), TargetDisplay_InFrames, 20);
        c->SetTextOverlay_Align(2, tf_Right);
        c->SetTextOverlay_VideoAlignment(2, oa_LeftBottom);
        QCoreApplication::processEvents();  // the -1 overlays reach the capture thread

        c->StartPreview();
        QVERIFY(ShowBluePicture(*c, events));
        const QImage shown = c->grab().toImage();
        // Title centred at the top, icon in the bottom-left corner blended 170/255 over the picture, its
        // black border keyed out, "REC" in the bottom-right corner.
        QVERIFY(CountPixels(shown, QRect(100, 0, 120, 40), Qt::white) > 20);
        QCOMPARE(CountPixels(shown, QRect(0, 0, 90, 40), Qt::white), 0);
        QVERIFY(CountPixels(shown, QRect(20, 196, 24, 24), QColor(170, 0, 43), 12) > 500);
        QVERIFY(CountPixels(shown, QRect(0, 176, 12, 64), Blue, 8) > 600);
        QVERIFY(CountPixels(shown, QRect(240, 200, 80, 40), Qt::white) > 20);

        const QImage frame = c->LatestFrame().Image;
        QCOMPARE(frame.size(), QSize(160, 120));
        QCOMPARE(CountPixels(frame, QRect(0, 0, 160, 30), Qt::white), 0);
        QCOMPARE(CountPixels(frame, frame.rect(), Qt::red, 100), 0);
        QVERIFY(CountPixels(frame, QRect(100, 90, 60, 30), Qt::white) > 10);
    }

    // OnFrameBitmap draws on the picture about to be shown, not on the frame others keep.
    void frameBitmapDrawingIsShown()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        int width = 0, height = 0;
        c->OnFrameBitmap = [&](TCaptureComponent *, const TFrameInfo &info, const TFrameBitmapInfo &bitmap) {
            ++events.Frames;
            width = bitmap.BitmapWidth;
            height = bitmap.BitmapHeight;
            QVERIFY(info.FrameNumber >= 1);
            QPainter *dc = bitmap.BitmapDC();
            QVERIFY(dc && dc == bitmap.BitmapDC());
            dc->setPen(QPen(Qt::red, 4));
            dc->setBrush(Qt::NoBrush);
            dc->drawRect(QRect(2, 2, bitmap.BitmapWidth - 4, bitmap.BitmapHeight - 4));
        };
        c->StartPreview();
        QVERIFY(ShowBluePicture(*c, events));
        QCOMPARE(width, 160);
        QCOMPARE(height, 120);
        const QImage shown = c->grab().toImage();
        QVERIFY(CountPixels(shown, QRect(0, 0, 320, 20), Qt::red, 30) > 300);
        QVERIFY(CountPixels(shown, QRect(100, 80, 120, 80), Blue, 5) > 9000);
        QCOMPARE(CountPixels(c->LatestFrame().Image, QRect(0, 0, 160, 120), Qt::red, 100), 0);

        // A handler that draws nothing leaves the picture as it came.
        c->OnFrameBitmap = [&](TCaptureComponent *, const TFrameInfo &, const TFrameBitmapInfo &) { ++events.Frames; };
        QVERIFY(ShowBluePicture(*c, events));
        QCOMPARE(CountPixels(c->grab().toImage(), c->rect(), Qt::red, 30), 0);
    }

    // The live view's picture is made on the capture thread at the size it is shown: every pixel is the
    // frame's pixel under its centre, and a frame that needs no scaling goes through uncopied.
    void displayPictureIsTheFrameAtItsShownSize()
    {
        QImage frame(640, 480, QImage::Format_RGB32);
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                frame.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 64 + (y / 256) * 16));
        QCOMPARE(DisplayPicture(frame, {200, 200}, ar_Box).size(), QSize(200, 150));
        // Sizes that divide the frame evenly, unevenly and almost not at all.
        for (const QSize area : {QSize(200, 150), QSize(213, 97), QSize(639, 479), QSize(1, 1)}) {
            const QImage small = DisplayPicture(frame, area, ar_Stretch);
            QCOMPARE(small.size(), area);
            for (int y = 0; y < area.height(); ++y)
                for (int x = 0; x < area.width(); ++x)
                    if (small.pixel(x, y) != frame.pixel((2 * x + 1) * 640 / (2 * area.width()),
                                                         (2 * y + 1) * 480 / (2 * area.height())))
                        QFAIL(qPrintable(QStringLiteral("%1x%2 at %3,%4").arg(area.width()).arg(area.height()).arg(x).arg(y)));
        }
        QCOMPARE(DisplayPicture(frame, {400, 100}, ar_PanScan).size(), QSize(400, 300));
        QCOMPARE(DisplayPicture(frame, {100, 90}, ar_Stretch).size(), QSize(100, 90));
        QCOMPARE(DisplayPicture(frame, {100, 90}, ar_NoResize).constBits(), frame.constBits());
        QCOMPARE(DisplayPicture(frame, {1280, 1024}, ar_Box).constBits(), frame.constBits());
        QVERIFY(DisplayPicture(frame, {}, ar_Box).isNull());
    }

    // In a view smaller than the frame, drawing handlers get the small picture; a hidden view makes none and
    // shows the newest frame once it is back on screen.
    void smallViewShowsTheSmallPicture()
    {
        auto c = PushedCamera({200, 150});
        c->SetDisplayAspectRatio(0, ar_Box);
        TEventRecorder events(*c);
        QSize drawnOn;
        c->OnFrameBitmap = [&](TCaptureComponent *, const TFrameInfo &, const TFrameBitmapInfo &bitmap) {
            ++events.Frames;
            drawnOn = QSize(bitmap.BitmapWidth, bitmap.BitmapHeight);
        };
        c->StartPreview();
        QImage halves(640, 480, QImage::Format_RGB32);
        halves.fill(Qt::red);
        QPainter(&halves).fillRect(QRect(320, 0, 320, 480), Blue);
        const auto push = [&](const QImage &picture) {
            const int before = events.Frames;
            return c->PushFrame(picture, 0) && QTest::qWaitFor([&] { return events.Frames > before; }, 3000);
        };
        // The first picture may still be made for the view's size before it was shown: wait for the next.
        QVERIFY(push(halves));
        QVERIFY(push(halves));
        QCOMPARE(drawnOn, QSize(200, 150));
        const QImage shown = c->grab().toImage();
        QCOMPARE(CountPixels(shown, QRect(0, 0, 98, 150), Qt::red, 0), 98 * 150);
        QCOMPARE(CountPixels(shown, QRect(102, 0, 98, 150), Blue, 0), 98 * 150);
        QCOMPARE(c->LatestFrame().Image.size(), QSize(640, 480));

        c->hide();
        QVERIFY(push(SolidFrame({640, 480}, Blue)));
        QCOMPARE(drawnOn, QSize(640, 480));
        c->show();
        QCOMPARE(CountPixels(c->grab().toImage(), c->rect(), Blue, 5), 200 * 150);
    }

    void overlaySlotsAreCreatedOnUse()
    {
        TCaptureComponent c;
        QCOMPARE(c.TextOverlayCount(), 1);
        c.SetTextOverlay_Selector(2);
        QCOMPARE(c.TextOverlayCount(), 3);
        c.SetTextOverlay_Selector(-1);
        c.SetTextOverlay_Selector(TCaptureComponent::MaxOverlays);
        QCOMPARE(c.TextOverlay_Selector(), 2);
        c.SetTextOverlay_VideoAlignment(5, oa_LeftBottom);  // by index: creates, leaves the selector
        QCOMPARE(c.TextOverlayCount(), 6);
        QCOMPARE(c.TextOverlay_Selector(), 2);
        c.SetTextOverlay_TargetDisplay(9);
        QCOMPARE(c.TextOverlay_TargetDisplay(), TargetDisplay_InFrames);
    }

    // Full screen is a separate window with the same picture; Escape leaves it.
    void fullScreenWindowLeftWithEscape()
    {
        auto c = PushedCamera();
        TEventRecorder events(*c);
        c->StartPreview();
        QVERIFY(ShowBluePicture(*c, events));
        QVERIFY(!c->GetDisplayFullScreen(0));
        c->SetDisplayFullScreen(0, true);
        QVERIFY(c->GetDisplayFullScreen(0));
        QWidget *window = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != c.get() && w->isVisible())
                window = w;
        QVERIFY(window);
        QVERIFY(window->isFullScreen());
        const QImage shown = window->grab().toImage();
        QVERIFY(CountPixels(shown, shown.rect(), Blue, 5) > shown.width() * shown.height() / 2);
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!c->GetDisplayFullScreen(0));
        QVERIFY(!window->isVisible());
        c->SetDisplayFullScreen(0, true);
        QVERIFY(c->GetDisplayFullScreen(0));
        c->SetDisplayFullScreen(0, false);
        QVERIFY(!c->GetDisplayFullScreen(0));
    }

    void hiddenDisplayAndAspectRatio()
    {
        auto c = PushedCamera({320, 100});
        TEventRecorder events(*c);
        c->StartPreview();
        QVERIFY(ShowBluePicture(*c, events));
        QCOMPARE(CountPixels(c->grab().toImage(), c->rect(), Blue, 5), 320 * 100);
        // Hidden while dragged: the bare control, without the -3 overlays of a down one.
        SetUpText(*c, 0, QStringLiteral("Connecting"), TargetDisplay_WhenDown);
        c->SetDisplayVisible(0, false);
        QCOMPARE(CountPixels(c->grab().toImage(), c->rect(), Qt::yellow, 0), 320 * 100);
        c->SetDisplayVisible(0, true);
        // Kept aspect: a 160 x 120 picture in 320 x 100 is 133 x 100 with black bars left and right.
        c->SetDisplayAspectRatio(0, ar_Box);
        const QImage boxed = c->grab().toImage();
        QVERIFY(CountPixels(boxed, QRect(0, 0, 90, 100), Qt::black, 0) > 8500);
        QVERIFY(CountPixels(boxed, QRect(100, 0, 120, 100), Blue, 5) > 11500);
    }
};

QTEST_MAIN(TestCaptureDisplay)
#include "tst_capturedisplay.moc"
