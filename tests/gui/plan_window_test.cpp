// The plan window: its menu item and key, its caption and place, selection from the list and
// by a click, entries moved and turned by dragging (one step each, Esc puts them back), and
// its picture saved as SVG.
#include "tests/gui/entry_fixture.h"

#include <commctrl.h>

#include "app/plan_window.h"
#include "app/window_layout.h"

namespace {

const COLORREF SelectionRing = RGB(0xff, 0xa0, 0x00);

class PlanWindowTest : public EntryTest {
  protected:
    // A missing group, a lamp and a label, each on its own spot.
    void OpenScene() {
        Open(WriteTestFile(
            "plan.fzlgrp",
            GroupFile(Entry("IObject", "Name=\"C:\\Sim\\haus.fzlgrp\" Position=\"-10;0;-10\"") +
                      Entry("Object", "Name=\"C:\\Sim\\lampe.fzlobj\" Position=\"1.5;2;3\"") +
                      Entry("Font", "Name=\"C:\\Sim\\schild.fzlfnt\" DefaultText=\"Halt\" "
                                    "Position=\"10;0;10\""))));
        ASSERT_EQ(ListLines().size(), 3u);
    }
    void ShowPlan() {
        Command(IDM_PLAN);
        ASSERT_NE(PlanWindow, nullptr);
        UpdateWindow(PlanWindow);
    }
    static POINT At(double x, double z) {
        POINT at{};
        EXPECT_TRUE(PlanPointOf(x, z, at));
        return at;
    }
    static void Mouse(UINT message, POINT at, WPARAM keys) {
        SendMessageW(PlanWindow, message, keys, MAKELPARAM(at.x, at.y));
    }
    // Pressed at from, moved to to in four steps, released unless asked not to.
    static void Drag(POINT from, POINT to, WPARAM keys = 0, bool release = true) {
        Mouse(WM_LBUTTONDOWN, from, MK_LBUTTON | keys);
        for (int i = 1; i <= 4; ++i) {
            Mouse(WM_MOUSEMOVE,
                  {from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4},
                  MK_LBUTTON | keys);
        }
        if (release) {
            Mouse(WM_LBUTTONUP, to, keys);
        }
    }
    static void Click(POINT at) { Drag(at, at); }
    UINT PlanChecked() const {
        HMENU view = GetSubMenu(GetMenu(Window), 2);
        SendMessageW(Window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
        return GetMenuState(view, IDM_PLAN, MF_BYCOMMAND) & MF_CHECKED;
    }
    static COLORREF PixelAt(POINT at) {
        UpdateWindow(PlanWindow);
        HDC dc = GetDC(PlanWindow);
        const COLORREF colour = GetPixel(dc, at.x, at.y);
        ReleaseDC(PlanWindow, dc);
        return colour;
    }
    // Metres per pixel, for what a drag of whole pixels can hit.
    static double PixelMetres() { return 1.0 / double(At(1, 0).x - At(0, 0).x); }
    const Vec3& LampPosition() const { return CurrentDocument.Objects[0]->Position; }
};

TEST_F(PlanWindowTest, CtrlLShowsAndClosesThePlanWhichKeepsItsPlaceAndGoesWithTheEditor) {
    OpenScene();
    EXPECT_EQ(PlanChecked(), 0u);
    PressCtrl(EntryList, 'L');
    ASSERT_NE(PlanWindow, nullptr);
    EXPECT_EQ(GetWindow(PlanWindow, GW_OWNER), Window);
    wchar_t caption[64] = {};
    GetWindowTextW(PlanWindow, caption, 64);
    EXPECT_EQ(U(caption), std::u16string(u"Lageplan - plan.fzlgrp"));
    EXPECT_EQ(PlanChecked(), UINT(MF_CHECKED));

    SetWindowPos(PlanWindow, nullptr, 40, 50, 500, 400, SWP_NOZORDER);
    PressCtrl(PlanWindow, 'L'); // the key works in the plan window too
    EXPECT_EQ(PlanWindow, nullptr);
    EXPECT_EQ(PlanChecked(), 0u);
    EXPECT_TRUE(Settings.HasPlanWindow);
    ShowPlan();
    RECT frame{};
    GetWindowRect(PlanWindow, &frame);
    EXPECT_EQ(frame.left, 40);
    EXPECT_EQ(frame.top, 50);
    EXPECT_EQ(frame.right - frame.left, 500);
    EXPECT_EQ(frame.bottom - frame.top, 400);

    Command(IDM_NEW);
    GetWindowTextW(PlanWindow, caption, 64);
    EXPECT_EQ(U(caption), std::u16string(u"Lageplan - (unbenannt)"));
    DestroyWindow(Window);
    EXPECT_EQ(PlanWindow, nullptr);
}

TEST_F(PlanWindowTest, SelectionFollowsTheListAndAClickSelectsInTheList) {
    OpenScene();
    ShowPlan();
    const POINT lamp = At(1.5, 3), label = At(10, 10), group = At(-10, -10);
    const int ring = MulDiv(9, int(WindowDpi(PlanWindow)), 96);
    EXPECT_NE(PixelAt({lamp.x + ring, lamp.y}), SelectionRing);
    SelectLine(1);
    EXPECT_EQ(PixelAt({lamp.x + ring, lamp.y}), SelectionRing);
    EXPECT_NE(PixelAt({label.x + ring, label.y}), SelectionRing);

    struct Case {
        POINT At;
        int32_t Line;
    } cases[] = {{label, 2}, {group, 0}, {{lamp.x + 3, lamp.y - 2}, 1}};
    for (const Case& c : cases) {
        Click(c.At);
        EXPECT_EQ(SelectedIndex, c.Line);
        EXPECT_EQ(SendMessageW(EntryList, LB_GETCURSEL, 0, 0), c.Line);
    }
    EXPECT_EQ(FieldText(IDC_POSITION_X), u"1.50"); // the panel shows the lamp
    EXPECT_TRUE(DocumentEdits.Undo.empty());       // clicks change nothing
}

TEST_F(PlanWindowTest, EachDragIsOneStepAndUndoGivesTheSavedBytesBack) {
    OpenScene();
    ASSERT_EQ(Command(IDM_SAVE), 1);
    const std::string saved = ReadTestFile(CurrentPath);
    ShowPlan();
    const double pixel = PixelMetres();

    // Moved in x and z, the height kept; the panel follows while the button is down.
    Drag(At(1.5, 3), At(11.5, -7), 0, false);
    EXPECT_NEAR(std::stod(Narrow(FieldText(IDC_POSITION_X))), 11.5, 1.5 * pixel + 0.005);
    EXPECT_TRUE(DocumentEdits.Undo.empty());
    Mouse(WM_LBUTTONUP, At(11.5, -7), 0);
    EXPECT_NEAR(LampPosition().x, 11.5, 1.5 * pixel);
    EXPECT_EQ(LampPosition().y, 2);
    EXPECT_NEAR(LampPosition().z, -7, 1.5 * pixel);
    EXPECT_EQ(DocumentEdits.Undo.size(), 1u);
    EXPECT_EQ(Caption(), u"Zellora - *plan.fzlgrp");

    // With Shift it turns about its place, towards where the cursor went, in whole degrees.
    const POINT lamp = At(LampPosition().x, LampPosition().z);
    Drag(lamp, {lamp.x + 200, lamp.y}, MK_SHIFT); // far: the pixel it stands on is rounded
    EXPECT_EQ(CurrentDocument.Objects[0]->Rotation.x, 90);
    EXPECT_EQ(CurrentDocument.Objects[0]->Rotation.y, 0);
    EXPECT_EQ(DocumentEdits.Undo.size(), 2u);

    // A label moves too.
    Drag(At(10, 10), At(20, 10));
    EXPECT_NEAR(CurrentDocument.Fonts[0]->Position.x, 20, 1.5 * pixel);
    EXPECT_EQ(DocumentEdits.Undo.size(), 3u);

    for (int i = 0; i < 3; ++i) {
        Command(IDM_UNDO);
    }
    EXPECT_EQ(Caption(), u"Zellora - plan.fzlgrp");
    ASSERT_EQ(Command(IDM_SAVE), 1);
    EXPECT_EQ(ReadTestFile(CurrentPath), saved);
    // The picture shows the lamp back where it was.
    SelectLine(-1);
    Click(At(1.5, 3));
    EXPECT_EQ(SelectedIndex, 1);
}

TEST_F(PlanWindowTest, EscDuringADragPutsTheEntryBack) {
    OpenScene();
    ShowPlan();
    Drag(At(1.5, 3), At(30, 30), 0, false);
    EXPECT_NE(LampPosition().x, 1.5);
    SendMessageW(PlanWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    Mouse(WM_MOUSEMOVE, At(40, 40), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, At(40, 40), 0);
    EXPECT_EQ(LampPosition().x, 1.5);
    EXPECT_EQ(LampPosition().z, 3);
    EXPECT_EQ(FieldText(IDC_POSITION_X), u"1.50");
    EXPECT_TRUE(DocumentEdits.Undo.empty());
    EXPECT_FALSE(Modified);

    // A command in the middle of a drag finds the entry where it was, too.
    Drag(At(1.5, 3), At(30, 30), 0, false);
    Command(IDM_SAVE);
    EXPECT_EQ(LampPosition().x, 1.5);
    Mouse(WM_LBUTTONUP, At(30, 30), 0);
    EXPECT_TRUE(DocumentEdits.Undo.empty());
}

TEST_F(PlanWindowTest, WheelAndRightButtonZoomAndPanAndPos1ShowsItAll) {
    OpenScene();
    ShowPlan();
    const POINT lamp = At(1.5, 3);
    const LONG metre = At(1, 0).x - At(0, 0).x;
    POINT screen = lamp;
    ClientToScreen(PlanWindow, &screen);
    SendMessageW(PlanWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
    EXPECT_NEAR(At(1.5, 3).x, lamp.x, 1); // the point under the cursor stays
    EXPECT_NEAR(At(1.5, 3).y, lamp.y, 1);
    EXPECT_NEAR(double(At(1, 0).x - At(0, 0).x), metre * 1.5625, 2);

    SendMessageW(PlanWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
    Mouse(WM_MOUSEMOVE, {130, 120}, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, {130, 120}, 0);
    EXPECT_NEAR(At(1.5, 3).x, lamp.x + 30, 1);
    EXPECT_NEAR(At(1.5, 3).y, lamp.y + 20, 1);
    wchar_t status[128] = {};
    GetWindowTextW(FindWindowExW(PlanWindow, nullptr, STATUSCLASSNAMEW, nullptr), status, 128);
    const std::u16string shown = U(status);
    EXPECT_EQ(shown.rfind(u"x: ", 0), 0u) << Narrow(shown);
    EXPECT_NE(shown.find(u" m    z: "), std::u16string::npos) << Narrow(shown);
    EXPECT_NE(shown.find(u" m    Maßstab: 1 m = "), std::u16string::npos) << Narrow(shown);

    SendMessageW(PlanWindow, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(At(1.5, 3).x, lamp.x);
    EXPECT_EQ(At(1.5, 3).y, lamp.y);
    SendMessageW(PlanWindow, WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_NEAR(double(At(1, 0).x - At(0, 0).x), metre * 0.8, 2);
}

TEST_F(PlanWindowTest, SavesThePictureAsSvg) {
    OpenScene();
    ShowPlan();
    const std::u16string path = TestFolder + u"plan.svg";
    Script.DialogAnswers = {{true, path, 1}};
    SendMessageW(PlanWindow, WM_COMMAND, IDM_PLAN_SVG, 0);
    ASSERT_EQ(Script.Dialogs.size(), 1u);
    EXPECT_EQ(Script.Dialogs[0].Title, u"Als SVG speichern");
    EXPECT_EQ(Script.Dialogs[0].Proposed, TestFolder + u"plan.svg");
    EXPECT_EQ(Script.Dialogs[0].Owner, PlanWindow);
    const std::string svg = ReadTestFile(path);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_NE(svg.find("<title>plan.fzlgrp</title>"), std::string::npos);
    size_t entries = 0;
    for (size_t at = svg.find("class=\"entry\""); at != std::string::npos;
         at = svg.find("class=\"entry\"", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 3u);
    DeleteTestFile(path);
}

} // namespace
