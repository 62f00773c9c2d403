#include "app/entry_panel.h"

#include <cmath>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "app/document_changes.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "document/loader.h"
#include "edit/entry_conversion.h"
#include "panel/panel_numbers.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

namespace {

// Posted after a refused number: the list's selection goes back to the shown entry once the
// click that took the focus away has been handled.
constexpr UINT UM_KEEPSELECTION = WM_USER + 20;

// What the panel keeps while it lives. Shown is the entry whose fields the controls show;
// it is only written through while the list's selection still designates it.
struct PanelState {
    ObjectEntry* Shown = nullptr;
    // Set while a refused number takes the focus back: the field that loses it then is not
    // checked, or two refused fields would hand the focus to each other without end.
    bool Refusing = false;
    // Set while the panel fills its own fields: what that notifies is no change by the user.
    bool Filling = false;
    // Set while a field's value goes into the document: the fields show it already.
    bool Committing = false;
    // The text of each number and text field as filled or last committed: a field whose text
    // is still this commits nothing, so tabbing through the panel leaves the entry as it is.
    std::map<int, std::u16string> Unchanged;
    std::u16string BrowsePath;
    std::u16string BrowseTitle;
    GroupDocument Scratch; // a chosen file is read into it to learn its kind
};
PanelState Panel;

// The ObjectEntry of the selected line, or null when the line is no Object or IObject.
ObjectEntry* SelectedObjectEntry() {
    const ListLine line = EntryAtLine(CurrentDocument, SelectedIndex);
    switch (line.Array) {
    case EntryArray::IObjects: return CurrentDocument.IObjects[line.Index].get();
    case EntryArray::Objects: return CurrentDocument.Objects[line.Index].get();
    case EntryArray::Fonts:
    case EntryArray::None: return nullptr;
    }
    return nullptr;
}

// A commit arriving after the shown entry was removed, moved or released (a focus change
// while the panel hides, say) finds no target.
ObjectEntry* CommitTarget() {
    if (Panel.Shown == nullptr || SelectedObjectEntry() != Panel.Shown) {
        return nullptr;
    }
    return Panel.Shown;
}

// The whole text, however long: a formula cut when it is read would be stored cut.
std::u16string ControlText(HWND panel, int id) {
    HWND control = GetDlgItem(panel, id);
    std::vector<wchar_t> text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    GetWindowTextW(control, text.data(), int(text.size()));
    return U(text.data());
}

void SetControlText(HWND panel, int id, const std::u16string& text) {
    SetDlgItemTextW(panel, id, W(text));
}

// The zoom factor and the blink interval, against position and rotation.
bool IsFactorField(int id) {
    return id == IDC_ZOOM_FACTOR || id == IDC_BLINK_INTERVAL;
}

void SetNumber(HWND panel, int id, double value) {
    SetControlText(panel, id,
                   FormatPanelNumber(value, IsFactorField(id) ? FactorDecimals : PositionDecimals));
}

double* NumberField(ObjectEntry& entry, int id) {
    // clang-format off
    switch (id) {
    case IDC_POSITION_X:     return &entry.Position.x;
    case IDC_POSITION_Y:     return &entry.Position.y;
    case IDC_POSITION_Z:     return &entry.Position.z;
    case IDC_ROTATION_X:     return &entry.Rotation.x;
    case IDC_ROTATION_Y:     return &entry.Rotation.y;
    case IDC_ROTATION_Z:     return &entry.Rotation.z;
    case IDC_ZOOM_FACTOR:    return &entry.ZoomFaktor;
    case IDC_BLINK_INTERVAL: return &entry.BlinkIntervall;
    }
    // clang-format on
    return nullptr;
}

// The fields that write the entry when they lose the focus.
constexpr int CommittedFields[] = {IDC_POSITION_X,  IDC_POSITION_Y,        IDC_POSITION_Z,
                                   IDC_ROTATION_X,  IDC_ROTATION_Y,        IDC_ROTATION_Z,
                                   IDC_ZOOM_FACTOR, IDC_BLINK_INTERVAL,    IDC_SHOW_ON,
                                   IDC_HIDE_ON,     IDC_DYNAMIC_VISIBILITY};

OptText* TextField(ObjectEntry& entry, int id) {
    // clang-format off
    switch (id) {
    case IDC_SHOW_ON:            return &entry.ShowOn;
    case IDC_HIDE_ON:            return &entry.HideOn;
    case IDC_DYNAMIC_VISIBILITY: return &entry.DynamicVisibility;
    }
    // clang-format on
    return nullptr;
}

void FillCombo(HWND panel, int id, const char16_t* const* items, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        SendDlgItemMessageW(panel, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(items[i])));
    }
}

void InitPanel(HWND panel) {
    Panel.Shown = nullptr;
    Panel.Unchanged.clear();
    Panel.BrowsePath.clear();
    Panel.BrowseTitle.clear();
    FreeGroupDocument(&Panel.Scratch);
    for (int id : {IDC_FILE_NAME, IDC_SHOW_ON, IDC_HIDE_ON}) {
        SendDlgItemMessageW(panel, id, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont), FALSE);
    }
    const size_t names = sizeof PanelConditionNames / sizeof PanelConditionNames[0];
    FillCombo(panel, IDC_SHOW_ON, PanelConditionNames, names);
    FillCombo(panel, IDC_HIDE_ON, PanelConditionNames, names);
    FillCombo(panel, IDC_DYNAMIC_VISIBILITY, PanelComparisons, 2);
    PrepareFileDialog(panel, FilterEntryFiles);
}

// A long name shows its end, the file's own name, rather than the start of its folder.
void ShowFileName(HWND panel, const std::u16string& name) {
    SetControlText(panel, IDC_FILE_NAME, name);
    SendDlgItemMessageW(panel, IDC_FILE_NAME, EM_SETSEL, WPARAM(name.size()), LPARAM(name.size()));
    SendDlgItemMessageW(panel, IDC_FILE_NAME, EM_SCROLLCARET, 0, 0);
}

void FillFields(HWND panel, ObjectEntry* entry) {
    ShowFileName(panel, entry->Name.value_or(u""));
    SetControlText(panel, IDC_SHOW_ON, entry->ShowOn.value_or(u""));
    SetControlText(panel, IDC_HIDE_ON, entry->HideOn.value_or(u""));
    for (int id = IDC_POSITION_X; id <= IDC_ROTATION_Z; ++id) {
        SetNumber(panel, id, *NumberField(*entry, id));
    }
    SetNumber(panel, IDC_ZOOM_FACTOR, entry->ZoomFaktor);
    SetNumber(panel, IDC_BLINK_INTERVAL, entry->BlinkIntervall);
    CheckDlgButton(panel, IDC_FIXED_DYNAMIC_VISIBILITY,
                   entry->FixedDynamicVisibility == 1 ? BST_CHECKED : BST_UNCHECKED);
    // Set from the entry too, so that the box never shows another entry's state.
    CheckDlgButton(panel, IDC_FAR_VISIBLE, entry->WeitSichtbar == 1 ? BST_CHECKED : BST_UNCHECKED);
    SetControlText(panel, IDC_DYNAMIC_VISIBILITY, entry->DynamicVisibility.value_or(u""));
    Panel.Unchanged.clear();
    for (int id : CommittedFields) {
        Panel.Unchanged[id] = ControlText(panel, id);
    }
}

void ShowEntry(HWND panel) {
    ObjectEntry* entry = SelectedObjectEntry();
    if (entry == nullptr) {
        // Dropped before hiding: hiding moves the focus, and that commits.
        Panel.Shown = nullptr;
        ShowWindow(panel, SW_HIDE);
        return;
    }
    ShowWindow(panel, SW_SHOWNORMAL);
    Panel.Shown = entry;
    FillFields(panel, entry);
}

bool IsUnchangedText(int id, const std::u16string& text) {
    const auto unchanged = Panel.Unchanged.find(id);
    return unchanged != Panel.Unchanged.end() && unchanged->second == text;
}

// The text of field id when the user has changed it since it was filled, else nothing.
std::optional<std::u16string> ChangedText(HWND panel, int id) {
    std::u16string text = ControlText(panel, id);
    if (IsUnchangedText(id, text)) {
        return std::nullopt;
    }
    return text;
}

bool IsRotationField(int id) {
    return id >= IDC_ROTATION_X && id <= IDC_ROTATION_Z;
}

// The number a field's text stands for, as the field takes it; false when it is refused.
bool FieldNumber(int id, const std::u16string& text, double& value) {
    return ReadPanelNumber(text.c_str(), IsFactorField(id) ? FactorMarker : PositionMarker,
                           value) &&
           (!IsRotationField(id) || IsRotationInRange(value));
}

OptText TextValue(const std::u16string& text) {
    return text.empty() ? OptText() : OptText(text);
}

// -0 and 0 are written differently.
bool SameNumber(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

// Whether text in field id stands for another value than the entry holds.
bool ChangesValue(ObjectEntry& entry, int id, const std::u16string& text) {
    if (const double* number = NumberField(entry, id)) {
        double value = 0;
        return FieldNumber(id, text, value) && !SameNumber(*number, value);
    }
    return *TextField(entry, id) != TextValue(text);
}

// A value typed but not yet committed is a change too: closing the window then asks, and
// the question's box takes the focus, which commits the value before the save. An item
// picked from a combo box's list reaches its edit part only after CBN_SELCHANGE.
void NoteTyping(HWND panel, int id, WORD code) {
    ObjectEntry* entry = CommitTarget();
    if (entry == nullptr) {
        return;
    }
    std::u16string text = ControlText(panel, id);
    if (code == CBN_SELCHANGE) {
        const LRESULT item = SendDlgItemMessageW(panel, id, CB_GETCURSEL, 0, 0);
        if (item == CB_ERR) {
            return;
        }
        std::vector<wchar_t> picked(
            size_t(SendDlgItemMessageW(panel, id, CB_GETLBTEXTLEN, WPARAM(item), 0)) + 1, L'\0');
        SendDlgItemMessageW(panel, id, CB_GETLBTEXT, WPARAM(item),
                            reinterpret_cast<LPARAM>(picked.data()));
        text = U(picked.data());
    }
    if (!IsUnchangedText(id, text) && ChangesValue(*entry, id, text)) {
        NoteModified(true);
    }
}

// Puts the list's selection back on the line of the shown entry, which the panel edits and
// "Löschen" removes, and ends the mouse capture that a click on another line left behind.
void KeepListSelection() {
    if (Panel.Shown == nullptr || SelectedObjectEntry() != Panel.Shown || EntryList == nullptr) {
        return;
    }
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(SelectedIndex), 0);
    if (GetCapture() == EntryList) {
        ReleaseCapture();
    }
}

// The shown entry with one field changed becomes one step of the document's history.
void Commit(const ObjectEntry& value) {
    Panel.Committing = true;
    SetObjectEntry(DocumentEdits, EntryAtLine(CurrentDocument, SelectedIndex), value);
    Panel.Committing = false;
}

void CommitNumber(HWND panel, int id) {
    ObjectEntry* entry = CommitTarget();
    if (entry == nullptr || Panel.Refusing) {
        return;
    }
    const std::optional<std::u16string> text = ChangedText(panel, id);
    if (!text) {
        return;
    }
    double value = 0;
    if (!FieldNumber(id, *text, value)) {
        Panel.Refusing = true;
        WarningBox(IsRotationField(id) ? TextNotARotation : TextNotANumber, panel);
        SetFocus(GetDlgItem(panel, id));
        Panel.Refusing = false;
        PostMessageW(panel, UM_KEEPSELECTION, 0, 0);
        return;
    }
    if (ChangesValue(*entry, id, *text)) {
        ObjectEntry changed = *entry;
        *NumberField(changed, id) = value;
        Commit(changed);
    }
    Panel.Unchanged[id] = *text;
}

void CommitText(HWND panel, int id) {
    ObjectEntry* entry = CommitTarget();
    if (entry == nullptr) {
        return;
    }
    const std::optional<std::u16string> text = ChangedText(panel, id);
    if (!text) {
        return;
    }
    if (ChangesValue(*entry, id, *text)) {
        ObjectEntry changed = *entry;
        *TextField(changed, id) = TextValue(*text);
        Commit(changed);
    }
    Panel.Unchanged[id] = *text;
}

void CommitCheck(HWND panel, int id) {
    ObjectEntry* entry = CommitTarget();
    if (entry == nullptr) {
        return;
    }
    const int32_t ticked = IsDlgButtonChecked(panel, id) == BST_CHECKED ? 1 : 0;
    ObjectEntry changed = *entry;
    int32_t& field = id == IDC_FAR_VISIBLE ? changed.WeitSichtbar : changed.FixedDynamicVisibility;
    if (field != ticked) {
        field = ticked;
        Commit(changed);
    }
}

void ShowBrowseFailure(LoadResult result, HWND panel) {
    switch (result) {
    case LoadOpenFailed: SystemErrorBox(LastSystemErrorText()); break;
    case LoadXmlError: WarningBox(TextBadXml, Panel.BrowseTitle, panel); break;
    case LoadNoMemory: WarningBox(TextNoMemory, Panel.BrowseTitle, panel); break;
    case LoadNotGroupFile: WarningBox(TextNotGroupFile, Panel.BrowseTitle, panel); break;
    case LoadOk:
    case LoadObjectFile: break;
    }
}

// "...": another file for the shown entry. A file of the other kind moves the entry into the
// other array; the list is filled anew and nothing is selected afterwards.
void ChooseFile(HWND panel) {
    if (CommitTarget() == nullptr) {
        return;
    }
    PrepareFileDialog(panel, FilterEntryFiles);
    if (!RunOpenDialog(panel, Panel.BrowsePath, Panel.BrowseTitle)) {
        return;
    }
    FreeGroupDocument(&Panel.Scratch);
    std::u16string path = Panel.BrowsePath;
    const LoadResult result = LoadGroupDocument(path, &Panel.Scratch);
    FreeGroupDocument(&Panel.Scratch);
    if (result != LoadOk && result != LoadObjectFile) {
        ShowBrowseFailure(result, panel);
        Panel.BrowsePath.clear();
        Panel.BrowseTitle.clear();
        SendMessageW(panel, UM_REFRESHENTRY, 0, 0);
        return;
    }
    const int fileKind = result == LoadObjectFile ? KindObject : KindIObject;
    if (CommitTarget() != nullptr &&
        !SetEntryFile(DocumentEdits, EntryAtLine(CurrentDocument, SelectedIndex), fileKind,
                      Panel.BrowsePath)) {
        WarningBox(TextNoMemory, Panel.BrowseTitle, panel);
    }
    Panel.Shown = nullptr;
    RefillEntryList();
    SendMessageW(panel, UM_REFRESHENTRY, 0, 0);
}

void OnPanelCommand(HWND panel, int id, WORD code) {
    // clang-format off
    switch (id) {
    case IDC_CHOOSE_FILE:
        ChooseFile(panel);
        break;
    case IDC_POSITION_X: case IDC_POSITION_Y: case IDC_POSITION_Z:
    case IDC_ROTATION_X: case IDC_ROTATION_Y: case IDC_ROTATION_Z:
    case IDC_ZOOM_FACTOR: case IDC_BLINK_INTERVAL:
        if (code == EN_KILLFOCUS) {
            CommitNumber(panel, id);
        } else if (code == EN_CHANGE) {
            NoteTyping(panel, id, code);
        }
        break;
    case IDC_SHOW_ON: case IDC_HIDE_ON: case IDC_DYNAMIC_VISIBILITY:
        if (code == CBN_KILLFOCUS) {
            CommitText(panel, id);
        } else if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
            NoteTyping(panel, id, code);
        }
        break;
    case IDC_FAR_VISIBLE: case IDC_FIXED_DYNAMIC_VISIBILITY:
        CommitCheck(panel, id);
        break;
    }
    // clang-format on
}

// Runs show on the panel; the notifications it causes are no change by the user.
void FillingWith(void (*show)(HWND), HWND panel) {
    const bool before = Panel.Filling;
    Panel.Filling = true;
    show(panel);
    Panel.Filling = before;
}

INT_PTR HandlePanelMessage(HWND panel, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG: FillingWith(InitPanel, panel); break;
    case UM_REFRESHENTRY:
        if (!Panel.Committing) {
            FillingWith(ShowEntry, panel);
        }
        break;
    case UM_KEEPSELECTION: KeepListSelection(); break;
    case WM_COMMAND:
        // Only what changes a value marks the document modified; focus changes do not.
        if (!Panel.Filling) {
            OnPanelCommand(panel, LOWORD(wParam), HIWORD(wParam));
        }
        break;
    case WM_DESTROY:
        Panel.Shown = nullptr;
        FreeGroupDocument(&Panel.Scratch);
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK EntryPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM) {
    return AnswerWithoutThrowing(HandlePanelMessage, panel, message, wParam);
}

bool HasClass(HWND window, const wchar_t* name) {
    wchar_t className[16] = {};
    return GetClassNameW(window, className, 16) > 0 && lstrcmpiW(className, name) == 0;
}

} // namespace

bool CommitFocusedField(HWND panel) {
    HWND focus = GetFocus();
    if (panel == nullptr || focus == nullptr || !IsChild(panel, focus)) {
        return true;
    }
    // The edit part of a combo box has the focus; the combo box is the field.
    HWND field = GetParent(focus) == panel ? focus : GetParent(focus);
    const int id = GetDlgCtrlID(field);
    switch (id) {
    case IDC_POSITION_X:
    case IDC_POSITION_Y:
    case IDC_POSITION_Z:
    case IDC_ROTATION_X:
    case IDC_ROTATION_Y:
    case IDC_ROTATION_Z:
    case IDC_ZOOM_FACTOR:
    case IDC_BLINK_INTERVAL: CommitNumber(panel, id); return !ChangedText(panel, id);
    case IDC_SHOW_ON:
    case IDC_HIDE_ON:
    case IDC_DYNAMIC_VISIBILITY: CommitText(panel, id); return true;
    default: return true;
    }
}

HWND CreateEntryPanel(HWND parent) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    HWND panel = CreateDialogParamW(instance, ResourceName, parent, EntryPanelProc, 0);
    if (panel != nullptr) {
        ShowWindow(panel, SW_HIDE);
    }
    return panel;
}

bool IsPanelTextField(HWND window) {
    if (EntryPanel == nullptr || window == nullptr || !HasClass(window, L"Edit")) {
        return false;
    }
    HWND parent = GetParent(window);
    return parent == EntryPanel ||
           (parent != nullptr && GetParent(parent) == EntryPanel && HasClass(parent, L"ComboBox"));
}
