#include "core/types.h"
#include "resources/control_ids.h"
#include "resources/dialog_template.h"
#include "resources/dialog_units.h"

#include <QFontMetrics>
#include <QTest>

using namespace pelldrake;

// The layouts are computed from a few given sizes; these checks catch a rule that puts a
// control on top of another, outside its frame, or too small for its caption.
class TemplatesTest : public QObject {
    Q_OBJECT

private:
    static bool IsOnPane(const ControlTemplate& control) {
        return control.kind != ControlKind::GroupBox && control.kind != ControlKind::Line &&
               control.kind != ControlKind::Marker;
    }
    static const ControlTemplate* FrameOf(const DialogTemplate& dialog, const ControlTemplate& control) {
        for (const ControlTemplate& candidate : dialog.controls) {
            if (candidate.kind == ControlKind::GroupBox && candidate.rect.contains(control.rect.center()))
                return &candidate;
        }
        return nullptr;
    }

private slots:
    void boardLayouts_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("small 102") << 0;
        QTest::newRow("medium 103") << 1;
        QTest::newRow("largest 162") << 2;
    }

    void boardLayouts() {
        QFETCH(int, mode);
        const DialogTemplate& board = BoardTemplate(static_cast<LayoutMode>(mode));
        const QRect window(QPoint(0, 0), board.size);
        for (const ControlTemplate& control : board.controls) {
            QVERIFY2(window.contains(control.rect), qPrintable(QString::number(control.id)));
            if (!IsOnPane(control))
                continue;
            const ControlTemplate* frame = FrameOf(board, control);
            QVERIFY2(frame && frame->rect.contains(control.rect), qPrintable(QString::number(control.id)));
            for (const ControlTemplate& other : board.controls) {
                if (&other != &control && IsOnPane(other))
                    QVERIFY2(!control.rect.intersects(other.rect),
                             qPrintable(QStringLiteral("%1 overlaps %2").arg(control.id).arg(other.id)));
            }
        }
        // Every list has its frame, thumbnail, scroll bar and enlarge button; the classification
        // lists their four buttons; the collapsed corner lies inside the window.
        for (ListIndex i = 0; i < kListCount; ++i) {
            for (int id : {ids::GroupBox(i), ids::Thumbnail(i), ids::ScrollBar(i), ids::Enlarge(i), ids::Dispose(i)})
                QVERIFY2(board.Find(id), qPrintable(QString::number(id)));
            if (i > 0) {
                for (int id : {ids::NumberButton(i), ids::MoveAll(i), ids::MoveOne(i)})
                    QVERIFY2(board.Find(id), qPrintable(QString::number(id)));
            }
        }
        QVERIFY(board.Find(ids::kCollapsedMarker));
    }

    void captionsFitTheirButtons_data() { boardLayouts_data(); }
    void captionsFitTheirButtons() {
        QFETCH(int, mode);
        const QFont font = DialogFont();
        const DialogUnits units(font);
        const QFontMetrics metrics(font);
        for (const ControlTemplate& control : BoardTemplate(static_cast<LayoutMode>(mode)).controls) {
            if (control.kind != ControlKind::PushButton && control.kind != ControlKind::PushLikeCheckBox)
                continue;
            const QString caption = QString::fromUtf8(control.text).remove(QLatin1Char('&'));
            const QRect pixels = units.ToPixels(control.rect);
            QVERIFY2(metrics.horizontalAdvance(caption) + 4 <= pixels.width(),
                     qPrintable(QStringLiteral("%1 \"%2\"").arg(control.id).arg(caption)));
            QVERIFY2(metrics.height() <= pixels.height(), qPrintable(QString::number(control.id)));
        }
    }

    void arrowsPointTowardTheUnclassifiedPane() {
        const DialogTemplate& small = BoardTemplate(LayoutMode::Small);
        const DialogTemplate& largest = BoardTemplate(LayoutMode::Largest);
        QCOMPARE(QString::fromUtf8(small.Find(ids::MoveAll(1))->text), QStringLiteral(">>"));
        QCOMPARE(QString::fromUtf8(small.Find(ids::MoveOne(7))->text), QStringLiteral(">"));
        QCOMPARE(QString::fromUtf8(small.Find(ids::MoveAll(8))->text), QStringLiteral("<<"));
        QCOMPARE(QString::fromUtf8(largest.Find(ids::MoveAll(8))->text), QStringLiteral(">>"));
        QCOMPARE(QString::fromUtf8(small.Find(ids::MoveOne(3))->text), QStringLiteral("<"));
        // Mirrored: on a left pane the number button is last, on a right pane first.
        QVERIFY(small.Find(ids::NumberButton(1))->rect.x() > small.Find(ids::Enlarge(1))->rect.x());
        QVERIFY(small.Find(ids::NumberButton(3))->rect.x() < small.Find(ids::Enlarge(3))->rect.x());
        for (LayoutMode layout : {LayoutMode::Small, LayoutMode::Medium, LayoutMode::Largest}) {
            const DialogTemplate& board = BoardTemplate(layout);
            QVERIFY(board.Find(ids::NumberButton(8))->rect.x() > board.Find(ids::Enlarge(8))->rect.x());
        }
    }

    void dialogUnitsFollowTheFont() {
        const DialogUnits units(DialogFont());
        QVERIFY(units.X(4) > 0 && units.Y(8) > 0);
        QCOMPARE(units.ToPixels(QRect(0, 0, 100, 100)).size(), QSize(units.X(100), units.Y(100)));
        // Neighbouring rectangles stay neighbours after rounding.
        const QRect left = units.ToPixels(QRect(0, 0, 33, 14));
        const QRect right = units.ToPixels(QRect(33, 0, 33, 14));
        QCOMPARE(left.right() + 1, right.left());
    }
};

QTEST_MAIN(TemplatesTest)
#include "tst_templates.moc"
