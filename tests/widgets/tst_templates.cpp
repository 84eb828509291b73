#include "core/types.h"
#include "resources/control_ids.h"
#include "resources/dialog_template.h"
#include "resources/dialog_units.h"
#include "resources/menu_table.h"

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

    void menuHasEveryEntryAndSeparatorInPlace() {
        const std::vector<MenuEntry>& menu = BoardMenu();
        QCOMPARE(menu.size(), 5u);
        QStringList titles;
        for (const MenuEntry& top : menu)
            titles << QString::fromUtf8(top.text);
        QCOMPARE(titles, (QStringList{"ファイル(&F)", "編集(&E)", "ツール(&T)", "表示(&V)", "ヘルプ(&H)"}));

        // Each entry as "id text", separators as "-", submenus by their first and last entries.
        auto describe = [](const std::vector<MenuEntry>& entries) {
            QStringList out;
            for (const MenuEntry& entry : entries) {
                if (entry.IsSeparator())
                    out << QStringLiteral("-");
                else if (entry.IsSubmenu())
                    out << QStringLiteral("[%1 %2..%3 %4]")
                               .arg(QString::fromUtf8(entry.text))
                               .arg(entry.children.front().id)
                               .arg(entry.children.back().id)
                               .arg(entry.children.size());
                else
                    out << QStringLiteral("%1").arg(entry.id);
            }
            return out.join(QLatin1Char(' '));
        };
        QCOMPARE(describe(menu[0].children),
                 QString::fromUtf8("[ファイルを未分類リストに登録する(&A) 32774..32813 2] "
                                   "[分類リストからフォルダに移動する(&M) 32776..32786 11] - 32843 32844 - 32799 32812 "
                                   "- 32771"));
        QCOMPARE(describe(menu[1].children),
                 QString::fromUtf8("1190 [分類リストから別の分類リストに移動(&M) 32787..32797 11] - 32814 "
                                   "[クリップボードにファイルを設定(&C) 32815..32825 11] - 32827 32826"));
        QCOMPARE(describe(menu[2].children), QString::fromUtf8("[ファイルの削除(&D) 32829..32840 13] - 32842"));
        QCOMPARE(describe(menu[3].children), QString::fromUtf8("32798 [拡大ウィンドウ 32800..32811 13]"));
        QCOMPARE(describe(menu[4].children), QStringLiteral("32772 32773"));
        // List 10 is written two ways.
        QCOMPARE(QString::fromUtf8(menu[1].children[1].children[10].text), QString::fromUtf8("分類リスト1&0"));
        QCOMPARE(QString::fromUtf8(menu[1].children[4].children[10].text), QString::fromUtf8("分類リスト&10"));
        QCOMPARE(QString::fromUtf8(menu[3].children[1].children[12].text), QString::fromUtf8("閉じる(C)"));
        QVERIFY(menu[3].children[1].children[11].IsSeparator());
    }
};

QTEST_MAIN(TemplatesTest)
#include "tst_templates.moc"
