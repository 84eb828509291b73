#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace pelldrake {

enum class ControlKind {
    GroupBox,
    Thumbnail,
    VerticalScrollBar,
    PushButton,
    DefaultButton, // the button Enter presses
    Edit,
    SortedListBox,    // one selection, kept in ascending order without regard to case
    PushLikeCheckBox, // looks like a button, pressed state set only by the program
    StatusLine,       // sunken one-line text
    Line,             // thin grey rule
    Marker,           // hidden; marks a corner
    Static,           // one line of text
    Icon,             // the program icon
    FirstRadioButton, // starts a group of radio buttons: one of the group is on at a time
    RadioButton,      // joins the group of the radio button before it
    CheckBox,
    DropDownList, // a closed list to choose from; the rectangle's height is the dropped one
    DatePicker,   // a short date, with a calendar that drops down
    EtchedLine,   // sunken horizontal rule
    ReportView,   // table of rows and columns, whole rows selected, several at once
    TabBar,       // the tabs of a tab control; the pages are the program's to show
    TabPanel,     // the raised frame under the tabs
    EditableComboBox,
};

// One control of a dialog template, its rectangle in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text; // UTF-8
    QRect rect;
};

struct DialogTemplate {
    int id;
    const char* title;
    QSize size; // dialog units
    std::vector<ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const;
};

// Board layouts: 0 small (template 102), 1 medium (103), 2 largest (162).
enum class LayoutMode { Small = 0, Medium = 1, Largest = 2 };

// DIALOG/MODE: 1 and 2 pick the larger boards, every other value the small one.
LayoutMode LayoutForMode(int mode);

const DialogTemplate& BoardTemplate(LayoutMode mode);
const DialogTemplate& EnlargeTemplate();
const DialogTemplate& ExtensionFilterTemplate();

} // namespace pelldrake
