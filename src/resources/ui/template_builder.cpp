#include "resources/ui/template_builder.h"

#include "platform/ui/pane_scroll_bar.h"
#include "resources/app_icon.h"
#include "resources/ui/push_like_check_box.h"
#include "thumbs/ui/thumb_ctl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableView>
#include <algorithm>

namespace pelldrake {

namespace {

// Radio buttons join the group of the first radio button before them; without groups every radio
// button of one parent would exclude all the others.
QRadioButton* CreateRadioButton(const ControlTemplate& control, QWidget* parent, QButtonGroup*& group) {
    auto* button = new QRadioButton(QString::fromUtf8(control.text), parent);
    if (control.kind == ControlKind::FirstRadioButton || !group)
        group = new QButtonGroup(parent);
    group->addButton(button, control.id);
    return button;
}

QTableView* CreateReportView(QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->horizontalHeader()->setHighlightSections(false);
    // The selection stays as visible as with the focus when the focus is elsewhere.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(palette);
    return view;
}

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent, QButtonGroup*& radioGroup) {
    const QString text = QString::fromUtf8(control.text);
    switch (control.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::Thumbnail:
        return new CThumbCtl(parent);
    case ControlKind::VerticalScrollBar:
        return new PaneScrollBar(parent);
    case ControlKind::PushButton: {
        // Auto-default, so that Enter presses the button with the focus; only when the focus is
        // on some other control does the dialog press its default button.
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(true);
        return button;
    }
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case ControlKind::Edit:
        return new QLineEdit(parent);
    case ControlKind::SortedListBox: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return list;
    }
    case ControlKind::PushLikeCheckBox: {
        auto* button = new PushLikeCheckBox(text, parent);
        button->setCheckable(true);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::StatusLine: {
        auto* label = new QLabel(parent);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(2, 0, 2, 0);
        return label;
    }
    case ControlKind::Line: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::NoFrame);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, QColor(160, 160, 160));
        line->setPalette(palette);
        return line;
    }
    case ControlKind::Marker: {
        auto* marker = new QLabel(text, parent);
        marker->hide();
        return marker;
    }
    case ControlKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        label->setPixmap(AppIcon().pixmap(32, 32));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::FirstRadioButton:
    case ControlKind::RadioButton:
        return CreateRadioButton(control, parent, radioGroup);
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::DropDownList:
        return new QComboBox(parent);
    case ControlKind::DatePicker: {
        auto* picker = new QDateEdit(parent);
        picker->setCalendarPopup(true);
        // A two-digit year would read back in the wrong century.
        QString format = QLocale().dateFormat(QLocale::ShortFormat);
        if (!format.contains(QLatin1String("yyyy")))
            format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        picker->setDisplayFormat(format);
        return picker;
    }
    case ControlKind::EtchedLine: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlKind::TabBar: {
        auto* tabs = new QTabBar(parent);
        tabs->setDrawBase(false);
        tabs->setExpanding(false);
        return tabs;
    }
    case ControlKind::TabPanel: {
        auto* panel = new QFrame(parent);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Raised);
        return panel;
    }
    case ControlKind::EditableComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::ReportView:
        return CreateReportView(parent);
    }
    return nullptr;
}

} // namespace

std::map<int, QWidget*> BuildControls(const DialogTemplate& dialog, QWidget* parent, const DialogUnits& units) {
    std::map<int, QWidget*> controls;
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& control : dialog.controls) {
        QWidget* widget = CreateControl(control, parent, radioGroup);
        QRect rect = units.ToPixels(control.rect);
        if (control.kind == ControlKind::Line)
            rect.setSize(rect.size()
                             .expandedTo(QSize(1, 1))
                             .boundedTo(QSize(control.rect.width() == 1 ? 1 : rect.width(),
                                              control.rect.height() == 1 ? 1 : rect.height())));
        if (control.kind == ControlKind::DropDownList)
            rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
        if (control.kind == ControlKind::EtchedLine)
            rect.setHeight(std::max(rect.height(), 2));
        widget->setGeometry(rect);
        // Group boxes are drawn first so the controls inside them stay on top.
        if (control.kind == ControlKind::GroupBox || control.kind == ControlKind::TabPanel)
            widget->lower();
        if (control.id >= 0)
            controls[control.id] = widget;
    }
    return controls;
}

} // namespace pelldrake
