#include "resources/template_builder.h"

#include "board/pane_scroll_bar.h"
#include "resources/push_like_check_box.h"
#include "thumbs/thumb_ctl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace pelldrake {

namespace {

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
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
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
    case ControlKind::FirstRadioButton:
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(text, parent);
        if (control.kind == ControlKind::FirstRadioButton || !radioGroup)
            radioGroup = new QButtonGroup(parent);
        radioGroup->addButton(radio, control.id);
        return radio;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::EditableComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case ControlKind::DropDownList:
        return new QComboBox(parent);
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
        widget->setGeometry(rect);
        if (control.kind == ControlKind::TabPanel)
            widget->lower(); // the page's controls lie on it
        if (control.id >= 0)
            controls[control.id] = widget;
    }
    // Group boxes are drawn first so the controls inside them stay on top.
    for (auto& [id, widget] : controls) {
        if (qobject_cast<QGroupBox*>(widget))
            widget->lower();
    }
    return controls;
}

} // namespace pelldrake
