// The entry panel: its controls, how it shows an entry, how each field commits, and the file
// chooser that may move an entry between Objects and IObjects.
#include "tests/gui/entry_fixture.h"

#include <cmath>
#include <functional>
#include <set>

namespace {

using PanelTest = EntryTest;

// Position and size are each converted from dialog units on their own, as the system does
// when it creates a dialog's controls.
RECT DialogRect(HWND dialog, int x, int y, int width, int height) {
    RECT origin{x, y, width, height};
    MapDialogRect(dialog, &origin);
    return {origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
}

RECT RectIn(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::u16string ClassOf(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return U(name);
}

std::vector<std::u16string> ComboItems(HWND combo) {
    std::vector<std::u16string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::vector<wchar_t> text(size_t(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1);
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(U(text.data()));
    }
    return items;
}

BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
    wchar_t text[128] = {};
    GetWindowTextW(child, text, 128);
    const std::u16string name = ClassOf(child);
    if (lstrcmpiW(W(name), L"Static") == 0 || lstrcmpiW(W(name), L"Button") == 0) {
        reinterpret_cast<std::set<std::u16string>*>(texts)->insert(U(text));
    }
    return TRUE;
}

struct ControlCase {
    int Id;
    const char16_t* ClassName;
    const char16_t* Text; // null where the text is the entry's
    LONG Style;
    int X, Y, Width, Height; // dialog units; no height where the system picks it
};

TEST_F(PanelTest, HoldsEveryControlWhereItBelongs) {
    Command(IDM_NEW);
    ASSERT_NE(EntryPanel, nullptr);
    const LONG style = GetWindowLongW(EntryPanel, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_BORDER), LONG(WS_CHILD | WS_BORDER));
    EXPECT_EQ(GetParent(EntryPanel), Window);
    // The template gives the panel's inside; its border lies around that.
    const RECT frame = DialogRect(EntryPanel, 15, 130, 274, 227);
    RECT at{};
    GetClientRect(EntryPanel, &at);
    MapWindowPoints(EntryPanel, Window, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(at.left, frame.left);
    EXPECT_EQ(at.top, frame.top);
    EXPECT_EQ(at.right, frame.right);
    EXPECT_EQ(at.bottom, frame.bottom);

    const LONG edit = ES_AUTOHSCROLL;
    const LONG combo = CBS_DROPDOWN;
    const ControlCase cases[] = {
        {IDC_FILE_NAME, u"Edit", nullptr, ES_READONLY, 44, 7, 124, 12},
        {IDC_CHOOSE_FILE, u"Button", u"...", 0, 178, 4, 27, 16},
        {IDC_POSITION_X, u"Edit", nullptr, edit, 24, 33, 60, 12},
        {IDC_POSITION_Y, u"Edit", nullptr, edit, 24, 47, 60, 12},
        {IDC_POSITION_Z, u"Edit", nullptr, edit, 24, 61, 60, 12},
        {IDC_ROTATION_X, u"Edit", nullptr, edit, 156, 33, 60, 12},
        {IDC_ROTATION_Y, u"Edit", nullptr, edit, 156, 47, 60, 12},
        {IDC_ROTATION_Z, u"Edit", nullptr, edit, 156, 61, 60, 12},
        {IDC_SHOW_ON, u"ComboBox", nullptr, combo, 89, 84, 114, 0},
        {IDC_HIDE_ON, u"ComboBox", nullptr, combo, 89, 101, 114, 0},
        {IDC_FAR_VISIBLE, u"Button", u"weit sichtbar", BS_AUTOCHECKBOX, 15, 135, 55, 10},
        {IDC_ZOOM_FACTOR, u"Edit", nullptr, edit, 167, 152, 60, 12},
        {IDC_BLINK_INTERVAL, u"Edit", nullptr, edit, 167, 165, 60, 12},
        {IDC_DYNAMIC_VISIBILITY, u"ComboBox", nullptr, combo | CBS_SORT, 18, 196, 247, 0},
        {IDC_FIXED_DYNAMIC_VISIBILITY, u"Button", u"Objekt in Sichtweite ändert Sichtbarkeit nicht",
         BS_AUTOCHECKBOX, 18, 211, 183, 10},
    };
    for (const ControlCase& c : cases) {
        HWND control = Field(c.Id);
        ASSERT_NE(control, nullptr) << c.Id;
        EXPECT_EQ(lstrcmpiW(W(ClassOf(control)), W(c.ClassName)), 0) << c.Id;
        EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & c.Style, c.Style) << c.Id;
        if (c.Text != nullptr) {
            EXPECT_EQ(FieldText(c.Id), c.Text);
        }
        const RECT expected = DialogRect(EntryPanel, c.X, c.Y, c.Width, c.Height);
        const RECT rect = RectIn(EntryPanel, control);
        EXPECT_EQ(rect.left, expected.left) << c.Id;
        EXPECT_EQ(rect.top, expected.top) << c.Id;
        EXPECT_EQ(rect.right, expected.right) << c.Id;
        if (c.Height != 0) {
            EXPECT_EQ(rect.bottom, expected.bottom) << c.Id;
        }
    }

    std::set<std::u16string> texts;
    EnumChildWindows(EntryPanel, CollectText, reinterpret_cast<LPARAM>(&texts));
    for (const char16_t* label :
         {u"Datei:", u"Position", u"Drehung", u"x:", u"y:", u"z:", u"nur sichtbar bei:*",
          u"nur unsichtbar bei:*", u"* Formel möglich z.B.: Hp1 and (Vr1 or Vr2)",
          u"Vergrößerungsfaktor bei 1000m Entfernung", u"Blinkintervall in s (0=kein blinken)",
          u"Dynamische Sichtbarkeitssteuerung",
          u"nur sichtbar bei (*Formel möglich zB.: WetterVars::Sonne || WetterVars::Regen)"}) {
        EXPECT_EQ(texts.count(label), 1u) << Narrow(label);
    }

    // Only the file name and the two condition boxes get the list's font.
    for (int id : {IDC_FILE_NAME, IDC_SHOW_ON, IDC_HIDE_ON}) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(Field(id), WM_GETFONT, 0, 0)), ListFont);
    }
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageW(Field(IDC_POSITION_X), WM_GETFONT, 0, 0)),
              ListFont);
}

TEST_F(PanelTest, OffersTheConditionsAndComparisons) {
    Command(IDM_NEW);
    const std::vector<std::u16string> conditions = {u"Hp0",
                                                    u"Hp1",
                                                    u"Hp2",
                                                    u"Hp3",
                                                    u"SIG100",
                                                    u"SIG60",
                                                    u"SIG40",
                                                    u"SIG20",
                                                    u"Vr0",
                                                    u"Vr1",
                                                    u"Vr2",
                                                    u"Vr3",
                                                    u"VSIG100",
                                                    u"VSIG60",
                                                    u"VSIG40",
                                                    u"VSIG20",
                                                    u"Zp9",
                                                    u"Zp10",
                                                    u"Sh0",
                                                    u"Sh1",
                                                    u"Zs1",
                                                    u"Zs4",
                                                    u"Zs5",
                                                    u"Zs6",
                                                    u"Zs7",
                                                    u"Zs8",
                                                    u"Zs13",
                                                    u"Kennlicht",
                                                    u"Bue0",
                                                    u"Bue1",
                                                    u"WeichenStellung1",
                                                    u"WeichenStellung2",
                                                    u"Bedarfshalt",
                                                    u"BueLicht",
                                                    u"BueSchranke"};
    EXPECT_EQ(ComboItems(Field(IDC_SHOW_ON)), conditions);
    EXPECT_EQ(ComboItems(Field(IDC_HIDE_ON)), conditions);
    EXPECT_EQ(ComboItems(Field(IDC_DYNAMIC_VISIBILITY)),
              (std::vector<std::u16string>{u"<=", u">="}));
}

const std::string Full =
    "Name=\"C:\\Sim\\voll.fzlobj\" Position=\"1.239;-0.5;12\" Rotation=\"0.29;-0.005;-2.75\" "
    "ZoomFaktor=\"-1\" BlinkIntervall=\"3000000000.5\" ShowOn=\"Hp1 and (Vr1 or Vr2)\" "
    "HideOn=\"Hp0\" WeitSichtbar=\"TRUE\" DynamicVisibility=\"&gt;=\" "
    "FixedDynamicVisibility=\"TRUE\"";

TEST_F(PanelTest, ShowsTheSelectedEntryAndHidesForLabels) {
    Open(WriteTestFile("zeigen.fzlgrp", GroupFile(Entry("Object", Full) +
                                                  Entry("Object", "Name=\"C:\\leer.fzlobj\"") +
                                                  Entry("Font", "Name=\"C:\\schild.fzlfnt\""))));
    SelectLine(0);
    ASSERT_TRUE(Visible(EntryPanel));
    const std::pair<int, const char16_t*> shown[] = {
        {IDC_FILE_NAME, u"C:\\Sim\\voll.fzlobj"},
        {IDC_POSITION_X, u"1.239"},
        {IDC_POSITION_Y, u"-0.50"},
        {IDC_POSITION_Z, u"12.00"},
        {IDC_ROTATION_X, u"0.29"},
        {IDC_ROTATION_Y, u"-0.005"},
        {IDC_ROTATION_Z, u"-2.75"},
        {IDC_ZOOM_FACTOR, u"-1.00"},
        {IDC_BLINK_INTERVAL, u"3000000000.50"},
        {IDC_SHOW_ON, u"Hp1 and (Vr1 or Vr2)"},
        {IDC_HIDE_ON, u"Hp0"},
        {IDC_DYNAMIC_VISIBILITY, u">="},
    };
    for (const auto& [id, text] : shown) {
        EXPECT_EQ(FieldText(id), text) << id;
    }
    EXPECT_TRUE(Ticked(IDC_FIXED_DYNAMIC_VISIBILITY));
    EXPECT_TRUE(Ticked(IDC_FAR_VISIBLE));

    // The next entry shows its own state in every field, "weit sichtbar" included.
    SelectLine(1);
    EXPECT_EQ(FieldText(IDC_SHOW_ON), u"");
    EXPECT_EQ(FieldText(IDC_DYNAMIC_VISIBILITY), u"");
    EXPECT_EQ(FieldText(IDC_POSITION_X), u"0.00");
    EXPECT_FALSE(Ticked(IDC_FIXED_DYNAMIC_VISIBILITY));
    EXPECT_FALSE(Ticked(IDC_FAR_VISIBLE));
    Tick(IDC_FIXED_DYNAMIC_VISIBILITY, false);
    EXPECT_EQ(Object(1).WeitSichtbar, 0);

    SelectLine(2);
    EXPECT_FALSE(Visible(EntryPanel));
}

// The width the field's text takes in the field's font, against the room its edit rectangle
// has: a text wider than the room scrolls and is not seen whole.
bool ShowsWhole(HWND field) {
    std::vector<wchar_t> text(size_t(GetWindowTextLengthW(field)) + 1, L'\0');
    const int length = GetWindowTextW(field, text.data(), int(text.size()));
    HDC context = GetDC(field);
    HGDIOBJ before =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(context, text.data(), length, &size);
    SelectObject(context, before);
    ReleaseDC(field, context);
    RECT room{};
    SendMessageW(field, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    return size.cx <= room.right - room.left;
}

TEST_F(PanelTest, NumbersAreShownRoundedAndWhole) {
    Open(WriteTestFile(
        "breit.fzlgrp",
        GroupFile(Entry("Object", "Name=\"C:\\b.fzlobj\" Position=\"1234.567;-12345.678;5.8\" "
                                  "Rotation=\"-359.999;10.375;-0.29\" "
                                  "ZoomFaktor=\"-1234.567891\" BlinkIntervall=\"-12345.125\""))));
    SelectLine(0);
    const std::pair<int, const char16_t*> shown[] = {
        {IDC_POSITION_X, u"1234.567"},      {IDC_POSITION_Y, u"-12345.678"},
        {IDC_POSITION_Z, u"5.80"},          {IDC_ROTATION_X, u"-359.999"},
        {IDC_ROTATION_Y, u"10.375"},        {IDC_ROTATION_Z, u"-0.29"},
        {IDC_ZOOM_FACTOR, u"-1234.567891"}, {IDC_BLINK_INTERVAL, u"-12345.125"},
    };
    for (const auto& [id, text] : shown) {
        EXPECT_EQ(FieldText(id), text) << id;
        // The widest text a position or rotation field shows in practice, in every field.
        EXPECT_TRUE(ShowsWhole(Field(id))) << id;
        Type(id, u"-12345.678");
        EXPECT_TRUE(ShowsWhole(Field(id))) << id;
    }
}

// Values with more decimals than a save writes, and values the fields would refuse if typed.
const std::string Awkward =
    "Name=\"C:\\Sim\\krumm.fzlobj\" Position=\"1234.56;0.29;-0.005\" "
    "Rotation=\"400;-2.756;-720\" ZoomFaktor=\"-12345938\" BlinkIntervall=\"0.123\" "
    "ShowOn=\"Hp1\"";

TEST_F(PanelTest, TabbingThroughTheFieldsChangesNothing) {
    Open(WriteTestFile("tab.fzlgrp", GroupFile(Entry("Object", Awkward))));
    const ObjectEntry before = Object(0);
    SelectLine(0);
    SetFocus(Field(IDC_POSITION_X));
    for (int pass = 0; pass < 6; ++pass) {
        for (int id : {IDC_POSITION_X, IDC_POSITION_Y, IDC_POSITION_Z, IDC_ROTATION_X,
                       IDC_ROTATION_Y, IDC_ROTATION_Z, IDC_SHOW_ON, IDC_HIDE_ON, IDC_ZOOM_FACTOR,
                       IDC_BLINK_INTERVAL, IDC_DYNAMIC_VISIBILITY}) {
            SetFocus(Field(id));
            Leave(id);
        }
    }
    // Nothing refused, so nothing kept the focus.
    EXPECT_TRUE(Script.Messages.empty());
    const auto numbers = [](const ObjectEntry& e) {
        return std::vector<double>{e.Position.x, e.Position.y, e.Position.z, e.Rotation.x,
                                   e.Rotation.y, e.Rotation.z, e.ZoomFaktor, e.BlinkIntervall};
    };
    EXPECT_EQ(numbers(Object(0)), numbers(before));
    EXPECT_EQ(Object(0).ShowOn, before.ShowOn);
    EXPECT_FALSE(Object(0).HideOn || Object(0).DynamicVisibility);
    // Nothing changed, so nothing asks to be saved.
    EXPECT_FALSE(Modified);

    // What the user types is taken, and then stays as typed.
    TypeAndLeave(IDC_POSITION_X, u"1234.5");
    EXPECT_EQ(Object(0).Position.x, 1234.5);
    EXPECT_TRUE(Modified);
    Leave(IDC_POSITION_X);
    EXPECT_EQ(Object(0).Position.x, 1234.5);
    // Shown anew, the field is unchanged again.
    Object(0).Position.x = 7.125;
    SelectLine(0);
    Leave(IDC_POSITION_X);
    EXPECT_EQ(Object(0).Position.x, 7.125);
}

TEST_F(PanelTest, ShowingAnEntryIsNoChange) {
    Open(
        WriteTestFile("zeigen.fzlgrp", GroupFile(Entry("Object", Full) + Entry("IObject", Awkward) +
                                                 Entry("Font", "Name=\"C:\\schild.fzlfnt\""))));
    for (int line : {0, 1, 2, 1, 0}) {
        SelectLine(line);
        EXPECT_FALSE(Modified) << line;
    }
    // Closing asks nothing.
    SendMessageW(Window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(Window));
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(PanelTest, TextsOfAnyLengthAreStoredWhole) {
    Open(WriteTestFile("lang.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\l.fzlobj\""))));
    SelectLine(0);
    std::u16string formula = u"Hp1";
    while (formula.size() < 3000) {
        formula += u" or WetterVars::Regen";
    }
    for (int id : {IDC_SHOW_ON, IDC_HIDE_ON, IDC_DYNAMIC_VISIBILITY}) {
        TypeAndLeave(id, formula);
    }
    EXPECT_EQ(Object(0).ShowOn, formula);
    EXPECT_EQ(Object(0).HideOn, formula);
    EXPECT_EQ(Object(0).DynamicVisibility, formula);
    // A number behind more than a thousand spaces is still found.
    TypeAndLeave(IDC_POSITION_Y, std::u16string(1100, u' ') + u"7.5");
    EXPECT_EQ(Object(0).Position.y, 7.5);
    EXPECT_TRUE(Script.Messages.empty());
}

// A click on another line takes the focus from a field whose number is refused; the click's
// release goes to the message box, and the list is left on the clicked line.
TEST_F(PanelTest, SavingTakesTheValueStillBeingTyped) {
    const std::u16string path =
        WriteTestFile("tippen.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\t.fzlobj\"")));
    Open(path);
    SelectLine(0);
    SetFocus(Field(IDC_POSITION_X));
    Type(IDC_POSITION_X, u"12.5");
    EXPECT_EQ(Command(IDM_SAVE), 1);
    EXPECT_NE(ReadTestFile(path).find("Position=\"12.500;"), std::string::npos);
    EXPECT_FALSE(Modified);
    // A text that is no number stops the save, with the field's message.
    SetFocus(Field(IDC_POSITION_X));
    Type(IDC_POSITION_X, u"abc");
    EXPECT_EQ(Command(IDM_SAVE), 0);
    ExpectMessage(0, u"Bitte geben Sie eine Zahl ein!", Warning, EntryPanel);
    EXPECT_NE(ReadTestFile(path).find("Position=\"12.500;"), std::string::npos);
}

TEST_F(PanelTest, ARefusedNumberLeavesTheListOnTheEntryItShows) {
    Open(WriteTestFile("bahnhof.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\eins.fzlobj\"") +
                                                   Entry("Object", "Name=\"C:\\zwei.fzlobj\"") +
                                                   Entry("Object", "Name=\"C:\\drei.fzlobj\"") +
                                                   Entry("Object", "Name=\"C:\\vier.fzlobj\""))));
    SelectLine(0);
    SetFocus(Field(IDC_POSITION_X));
    Type(IDC_POSITION_X, u"abc");
    RECT line{};
    SendMessageW(EntryList, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&line));
    SendMessageW(EntryList, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((line.left + line.right) / 2, (line.top + line.bottom) / 2));
    Pump();
    ExpectMessage(0, u"Bitte geben Sie eine Zahl ein!", Warning, EntryPanel);
    EXPECT_EQ(GetFocus(), Field(IDC_POSITION_X));
    EXPECT_EQ(FieldText(IDC_POSITION_X), u"abc");
    EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_NE(GetCapture(), EntryList);

    TypeAndLeave(IDC_POSITION_X, u"-20");
    EXPECT_EQ(Object(0).Position.x, -20);
    EXPECT_EQ(FieldText(IDC_FILE_NAME), u"C:\\eins.fzlobj");
    Click(IDC_REMOVE_ENTRY);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"zwei.fzlobj", u"drei.fzlobj", u"vier.fzlobj"}));
}

TEST_F(PanelTest, OnlyAChangedValueMarksTheDocument) {
    Open(WriteTestFile("flag.fzlgrp", GroupFile(Entry("Object", Full))));
    SelectLine(0);
    const auto pick = [this](int id, WPARAM item) {
        SendMessageW(Field(id), CB_SETCURSEL, item, 0);
        Notify(id, CBN_SELCHANGE);
    };
    const struct {
        const char* What;
        std::function<void()> Do;
        bool Changes;
    } steps[] = {
        {"into a number field and out",
         [&] {
             Notify(IDC_ZOOM_FACTOR, EN_SETFOCUS);
             Leave(IDC_ZOOM_FACTOR);
         },
         false},
        {"into a condition and out",
         [&] {
             Notify(IDC_SHOW_ON, CBN_SETFOCUS);
             Leave(IDC_SHOW_ON);
         },
         false},
        {"Enter", [&] { SendMessageW(EntryPanel, WM_COMMAND, IDOK, 0); }, false},
        {"the shown value in other words", [&] { TypeAndLeave(IDC_ZOOM_FACTOR, u"-1"); }, false},
        {"a number not yet complete", [&] { Type(IDC_POSITION_X, u"-"); }, false},
        {"a box clicked to the state it has", [&] { Tick(IDC_FAR_VISIBLE, true); }, false},
        {"the shown condition picked", [&] { pick(IDC_HIDE_ON, 0); }, false},
        {"another number typed", [&] { Type(IDC_POSITION_X, u"-7"); }, true},
        {"another number committed", [&] { TypeAndLeave(IDC_POSITION_Y, u"8"); }, true},
        {"another condition picked", [&] { pick(IDC_HIDE_ON, 1); }, true},
        {"a condition typed",
         [&] {
             Type(IDC_SHOW_ON, u"Hp2");
             Notify(IDC_SHOW_ON, CBN_EDITCHANGE);
         },
         true},
        {"a box ticked", [&] { Tick(IDC_FAR_VISIBLE, false); }, true},
    };
    for (const auto& step : steps) {
        Modified = false;
        step.Do();
        EXPECT_EQ(Modified, step.Changes) << step.What;
    }
}

struct NumberCase {
    int Id;
    const char16_t* Text;
    double Stored; // NAN: refused
};

TEST_F(PanelTest, NumbersAreTakenOrRefusedWithTheFieldsMessage) {
    Open(WriteTestFile("zahlen.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\z.fzlobj\""))));
    SelectLine(0);
    const double refused = NAN;
    const NumberCase cases[] = {
        {IDC_POSITION_X, u"", refused},
        {IDC_POSITION_Y, u"abc", refused},
        {IDC_POSITION_Z, u"-123459389345.92131", refused},
        {IDC_POSITION_Z, u"-12345938", -12345938},
        {IDC_POSITION_X, u"12abc", 12},
        {IDC_POSITION_Y, u"1,5", 1},
        {IDC_POSITION_Z, u"  -7.125", -7.125},
        {IDC_ROTATION_X, u"360", 360},
        {IDC_ROTATION_Y, u"-360", -360},
        {IDC_ROTATION_Z, u"360.01", refused},
        {IDC_ROTATION_X, u"-360.01", refused},
        {IDC_ROTATION_Y, u"x", refused},
        {IDC_ROTATION_Z, u"-123459389345.92131", refused},
        {IDC_ZOOM_FACTOR, u"-12345938", refused},
        {IDC_ZOOM_FACTOR, u"-2.5", -2.5},
        {IDC_BLINK_INTERVAL, u"-12345938.0", refused},
        {IDC_BLINK_INTERVAL, u"-0.5", -0.5},
        {IDC_BLINK_INTERVAL, u"Blinken", refused},
    };
    for (const NumberCase& c : cases) {
        Script.Messages.clear();
        double* field = nullptr;
        ObjectEntry& entry = Object(0);
        switch (c.Id) {
        case IDC_POSITION_X: field = &entry.Position.x; break;
        case IDC_POSITION_Y: field = &entry.Position.y; break;
        case IDC_POSITION_Z: field = &entry.Position.z; break;
        case IDC_ROTATION_X: field = &entry.Rotation.x; break;
        case IDC_ROTATION_Y: field = &entry.Rotation.y; break;
        case IDC_ROTATION_Z: field = &entry.Rotation.z; break;
        case IDC_ZOOM_FACTOR: field = &entry.ZoomFaktor; break;
        case IDC_BLINK_INTERVAL: field = &entry.BlinkIntervall; break;
        }
        *field = 42;
        TypeAndLeave(c.Id, c.Text);
        if (std::isnan(c.Stored)) {
            EXPECT_EQ(*field, 42) << Narrow(c.Text);
            const bool rotation = c.Id >= IDC_ROTATION_X && c.Id <= IDC_ROTATION_Z;
            ASSERT_EQ(Script.Messages.size(), 1u) << Narrow(c.Text);
            ExpectMessage(0,
                          rotation ? u"Bitte geben Sie eine korrekte Zahl ein!"
                                   : u"Bitte geben Sie eine Zahl ein!",
                          Warning, EntryPanel);
            EXPECT_EQ(FieldText(c.Id), c.Text);
            EXPECT_EQ(GetFocus(), Field(c.Id)) << Narrow(c.Text);
        } else {
            EXPECT_EQ(*field, c.Stored) << Narrow(c.Text);
            EXPECT_TRUE(Script.Messages.empty()) << Narrow(c.Text);
        }
    }
}

TEST_F(PanelTest, TextsReplaceTheFieldAndAnEmptyTextRemovesIt) {
    const std::u16string path = WriteTestFile(
        "texte.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\t.fzlobj\" ShowOn=\"Hp1\"")));
    Open(path);
    SelectLine(0);
    TypeAndLeave(IDC_HIDE_ON, u"Hp1 and (Vr1 or Vr2)");
    TypeAndLeave(IDC_DYNAMIC_VISIBILITY, u"<=");
    EXPECT_EQ(Object(0).HideOn, std::u16string(u"Hp1 and (Vr1 or Vr2)"));
    EXPECT_EQ(Object(0).DynamicVisibility, std::u16string(u"<="));
    TypeAndLeave(IDC_SHOW_ON, u"");
    EXPECT_FALSE(Object(0).ShowOn.has_value());
    // Only the leaving commits.
    Type(IDC_HIDE_ON, u"Zs1");
    Notify(IDC_HIDE_ON, CBN_EDITCHANGE);
    EXPECT_EQ(Object(0).HideOn, std::u16string(u"Hp1 and (Vr1 or Vr2)"));

    EXPECT_EQ(Command(IDM_SAVE), 1);
    const std::string bytes = ReadTestFile(path);
    EXPECT_EQ(bytes.find("ShowOn"), std::string::npos);
    EXPECT_NE(bytes.find("HideOn=\"Hp1 and (Vr1 or Vr2)\""), std::string::npos);
}

TEST_F(PanelTest, CheckBoxesWriteOnEveryClick) {
    Open(WriteTestFile("haken.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\h.fzlobj\""))));
    SelectLine(0);
    Tick(IDC_FAR_VISIBLE, true);
    EXPECT_EQ(Object(0).WeitSichtbar, 1);
    Tick(IDC_FIXED_DYNAMIC_VISIBILITY, true);
    EXPECT_EQ(Object(0).FixedDynamicVisibility, 1);
    Tick(IDC_FAR_VISIBLE, false);
    EXPECT_EQ(Object(0).WeitSichtbar, 0);
    EXPECT_EQ(Object(0).FixedDynamicVisibility, 1);
}

TEST_F(PanelTest, NoCommitReachesARemovedOrReleasedEntry) {
    Open(WriteTestFile("weg.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\a.fzlobj\"") +
                                               Entry("Font", "Name=\"C:\\f.fzlfnt\""))));
    SelectLine(0);
    Type(IDC_POSITION_X, u"abc");
    Type(IDC_SHOW_ON, u"Hp2");
    Click(IDC_REMOVE_ENTRY);
    ASSERT_TRUE(CurrentDocument.Objects.empty());
    ASSERT_EQ(SelectedIndex, 0);
    // Focus changes that arrive late find nothing to check or to write into.
    Leave(IDC_POSITION_X);
    EXPECT_TRUE(Script.Messages.empty());
    Type(IDC_POSITION_X, u"7");
    Leave(IDC_POSITION_X);
    Leave(IDC_SHOW_ON);
    Tick(IDC_FAR_VISIBLE, true);
    EXPECT_TRUE(Script.Messages.empty());
    EXPECT_EQ(CurrentDocument.Fonts.size(), 1u);

    // A pasted entry at the same line is not the entry the fields were filled from.
    Open(WriteTestFile("weg2.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\b.fzlobj\""))));
    SelectLine(0);
    Type(IDC_POSITION_X, u"9");
    HWND panel = EntryPanel;
    Script.MessageAnswers = {IDNO};
    Command(IDM_NEW);
    EXPECT_FALSE(IsWindow(panel));
    Open(WriteTestFile("weg3.fzlgrp", GroupFile(Entry("Object", "Name=\"C:\\c.fzlobj\""))));
    Leave(IDC_POSITION_X);
    EXPECT_EQ(Object(0).Position.x, 0);
}

TEST_F(PanelTest, AGroupFileTurnsAnObjectIntoAGroupAtTheEndOfTheGroups) {
    Open(WriteTestFile("wandeln.fzlgrp",
                       GroupFile(Entry("IObject", "Name=\"C:\\Sim\\haus.fzlgrp\"") +
                                 Entry("Object", Full + " Brightness=\"5\" GreaterAs=\"1\"") +
                                 Entry("Object", "Name=\"C:\\Sim\\bank.fzlobj\""))));
    const std::u16string group = WriteTestFile("ziel.fzlgrp", GroupFile(""));
    SelectLine(1);
    Modified = false;
    Script.DialogAnswers.push_back({true, group, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    EXPECT_TRUE(Modified);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"haus.fzlgrp", u"ziel.fzlgrp", u"bank.fzlobj"}));
    ASSERT_EQ(CurrentDocument.IObjects.size(), 2u);
    const ObjectEntry& moved = IObject(1);
    EXPECT_EQ(moved.Name, group);
    EXPECT_EQ(moved.Position.x, 1.239);
    EXPECT_EQ(moved.Rotation.z, -2.75);
    EXPECT_EQ(moved.ZoomFaktor, -1);
    EXPECT_EQ(moved.BlinkIntervall, 3000000000.5);
    EXPECT_EQ(moved.ShowOn, std::u16string(u"Hp1 and (Vr1 or Vr2)"));
    EXPECT_EQ(moved.HideOn, std::u16string(u"Hp0"));
    EXPECT_FALSE(moved.DynamicVisibility.has_value());
    EXPECT_EQ(moved.FixedDynamicVisibility, 0);
    EXPECT_EQ(moved.WeitSichtbar, 0);
    EXPECT_EQ(moved.Brightness, 0);
    EXPECT_EQ(moved.GreaterAs, 0);
    EXPECT_EQ(SelectedIndex, -1);
    EXPECT_FALSE(Visible(EntryPanel));

    const FileDialogCall& call = Script.Dialogs[0];
    EXPECT_EQ(call.Owner, EntryPanel);
    EXPECT_EQ(call.Proposed, u"");
    EXPECT_EQ(call.Flags, DWORD(OFN_CREATEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(call.Filter.find(u"Ferrolinodateien (*.fzlobj;*.fzlgrp;*.efzlgrp)"), 0u);
    EXPECT_TRUE(Script.Messages.empty());

    // An object file turns it back, at the end of the objects, keeping what groups lack.
    IObject(1).DynamicVisibility = u">=";
    IObject(1).FixedDynamicVisibility = 1;
    const std::u16string object = WriteTestFile("ziel.fzlobj", ObjectFileBytes);
    SelectLine(1);
    Script.DialogAnswers.push_back({true, object, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    EXPECT_EQ(Script.Dialogs[1].Proposed, group);
    EXPECT_EQ(ListLines(),
              (std::vector<std::u16string>{u"haus.fzlgrp", u"bank.fzlobj", u"ziel.fzlobj"}));
    EXPECT_EQ(Object(1).Name, object);
    EXPECT_EQ(Object(1).DynamicVisibility, std::u16string(u">="));
    EXPECT_EQ(Object(1).FixedDynamicVisibility, 1);
    EXPECT_EQ(Object(1).Position.x, 1.239);
}

TEST_F(PanelTest, AFileOfTheSameKindOnlyRenamesTheEntry) {
    Open(WriteTestFile("umbenennen.fzlgrp", GroupFile(Entry("Object", Full))));
    const std::u16string object = WriteTestFile("andere.fzlobj", ObjectFileBytes);
    SelectLine(0);
    Script.DialogAnswers.push_back({true, object, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    ASSERT_EQ(CurrentDocument.Objects.size(), 1u);
    EXPECT_EQ(Object(0).Name, object);
    EXPECT_EQ(Object(0).WeitSichtbar, 1);
    EXPECT_EQ(Object(0).DynamicVisibility, std::u16string(u">="));
    EXPECT_EQ(ListLines(), std::vector<std::u16string>{u"andere.fzlobj"});

    // Cancelled: nothing changes, the panel stays.
    SelectLine(0);
    Script.DialogAnswers.push_back(Cancelled);
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    EXPECT_EQ(Object(0).Name, object);
    EXPECT_TRUE(Visible(EntryPanel));
    EXPECT_EQ(SelectedIndex, 0);
}

TEST_F(PanelTest, AnUnusableFileIsRefusedAndForgotten) {
    Open(WriteTestFile("bleibt.fzlgrp", GroupFile(Entry("Object", Full))));
    const std::u16string broken = WriteTestFile("kaputt.fzlobj", "<OBJEKT>\r\n<Point");
    const std::u16string foreign = WriteTestFile("fremd.fzlobj", "<Irgendwas/>");
    const std::u16string good = WriteTestFile("gut.fzlobj", ObjectFileBytes);
    SelectLine(0);

    // Chosen once, so that the failures below are seen to empty the proposal again.
    Script.DialogAnswers.push_back({true, good, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    SelectLine(0);
    Script.Messages.clear();
    Script.DialogAnswers.push_back({true, broken, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    ASSERT_EQ(Script.Messages.size(), 2u);
    EXPECT_NE(Script.Messages[0].Text.find(u" at line 2"), std::u16string::npos);
    ExpectMessage(1, u"kaputt.fzlobj ist eine fehlerhafte XML-Datei!", Warning, EntryPanel);

    Script.DialogAnswers.push_back({true, foreign, 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    EXPECT_EQ(Script.Dialogs.back().Proposed, u"");
    ExpectMessage(2, u"fremd.fzlobj ist weder eine Gruppen- noch ein Objektdatei", Warning,
                  EntryPanel);

    Script.DialogAnswers.push_back({true, TestFolder + u"fehlt.fzlgrp", 1});
    Notify(IDC_CHOOSE_FILE, BN_CLICKED);
    ExpectMessage(3, SystemText(ERROR_FILE_NOT_FOUND), MB_ICONINFORMATION, nullptr,
                  u"GetLastError");

    // The entry is as it was and still shown.
    EXPECT_EQ(Object(0).Name, good);
    EXPECT_EQ(Object(0).DynamicVisibility, std::u16string(u">="));
    EXPECT_EQ(SelectedIndex, 0);
    EXPECT_TRUE(Visible(EntryPanel));
    EXPECT_EQ(FieldText(IDC_FILE_NAME), good);
}

} // namespace
