#include "app/plan_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "app/plan_painting.h"
#include "app/shell_state.h"
#include "app/texts.h"
#include "app/window_layout.h"
#include "base/text.h"
#include "document/numbers.h"
#include "paths/path_utils.h"
#include "plan/plan_drag.h"
#include "plan/plan_scene.h"
#include "plan/plan_svg.h"
#include "platform/platform.h"
#include "platform/ui_win.h"
#include "platform/wide.h"
#include "resources/resource.h"

const wchar_t* const PlanWindowClassName = L"ZelloraLageplan";

namespace {

constexpr double ZoomStep = 1.25;

// An entry followed by the mouse: its place and rotation as they were and as they are now.
// The mode changes with Shift; each change starts from where the cursor is then.
struct EntryDrag {
    ListLine Target;
    bool Started = false; // the cursor left the system's drag threshold
    bool Turning = false;
    POINT Press{};
    double AnchorX = 0, AnchorZ = 0;
    Vec3 AnchorPosition;
    double AnchorYaw = 0, AnchorHeading = 0;
    Vec3 BeforePosition, BeforeRotation;
    Vec3 Position, Rotation;
};

struct PlanWindowState {
    PlanScene Scene;
    PlanView View;
    bool Fitted = false;   // the view was fitted to the scene since the document changed
    bool Adjusted = false; // zoomed or panned since: a new size keeps the scale
    bool Stale = true;     // the scene must be built anew before the next paint
    bool Held = false;     // an export runs: the scene is kept as it is until it ends
    bool Dragging = false;
    EntryDrag Drag;
    bool Panning = false;
    bool Panned = false; // a pan with the right button shows no context menu
    POINT PanFrom{};
    HWND Status = nullptr;
    HFONT Font = nullptr;
    POINT Cursor{};
};
PlanWindowState State;

int Scaled(int pixels) {
    return MulDiv(pixels, int(WindowDpi(PlanWindow)), 96);
}

RECT PlotArea() {
    RECT area{};
    GetClientRect(PlanWindow, &area);
    RECT status{};
    if (State.Status != nullptr && GetWindowRect(State.Status, &status)) {
        area.bottom = std::max(area.top, area.bottom - (status.bottom - status.top));
    }
    return area;
}

std::u16string DocumentTitle() {
    return CurrentTitle.empty() ? TextUntitled : CurrentTitle;
}

ListLine SelectedEntry() {
    return SelectedIndex < 0 ? ListLine{} : EntryAtLine(CurrentDocument, SelectedIndex);
}

// The whole scene in the middle of the picture, with room for the captions at its sides.
void FitView() {
    const RECT area = PlotArea();
    const double width = std::max(1L, area.right - area.left);
    const double height = std::max(1L, area.bottom - area.top);
    const double roomX = std::min(double(Scaled(120)), width / 4);
    const double roomZ = std::min(double(Scaled(30)), height / 4);
    PlanView& v = State.View;
    v = FitPlanView(State.Scene.Drawn, width - 2 * roomX, height - 2 * roomZ, area.left, area.top);
    const double moreX = (width / v.Scale - (v.MaxX - v.MinX)) / 2;
    const double moreZ = (height / v.Scale - (v.MaxZ - v.MinZ)) / 2;
    v.MinX -= moreX;
    v.MaxX += moreX;
    v.MinZ -= moreZ;
    v.MaxZ += moreZ;
    State.Fitted = true;
    State.Adjusted = false;
}

void BringSceneUpToDate() {
    if (State.Stale && !State.Held) {
        BuildPlanScene(State.Scene, CurrentDocument, DocumentTitle(), SimulatorRoot);
        State.Stale = false;
    }
    if (!State.Fitted) {
        FitView();
    }
}

void Redraw() {
    if (PlanWindow != nullptr) {
        InvalidateRect(PlanWindow, nullptr, FALSE);
    }
}

void ShowStatus() {
    if (State.Status == nullptr) {
        return;
    }
    const PlanView& v = State.View;
    const std::u16string text =
        FillText(TextPlanStatus, {Utf8ToUtf16(FormatFixed(v.MetresX(State.Cursor.x), 2)),
                                  Utf8ToUtf16(FormatFixed(v.MetresZ(State.Cursor.y), 2)),
                                  Utf8ToUtf16(FormatFixed(v.Scale, v.Scale < 10 ? 2 : 0))});
    SetWindowTextW(State.Status, W(text));
}

// A fitted view is fitted anew when the window's size changes; one the user zoomed or panned
// keeps its scale and its upper left corner.
void KeepViewOnResize() {
    if (!State.Adjusted) {
        State.Fitted = false;
        return;
    }
    const RECT area = PlotArea();
    PlanView& v = State.View;
    v.Left = area.left;
    v.Top = area.top;
    v.MaxX = v.MinX + double(std::max(1L, area.right - area.left)) / v.Scale;
    v.MinZ = v.MaxZ - double(std::max(1L, area.bottom - area.top)) / v.Scale;
}

// Between a picture of the farthest place a file can hold and a millimetre the size of the
// window, so that the view's numbers stay finite.
constexpr double LeastScale = 1e-10, GreatestScale = 1e5; // pixels per metre

void Zoom(double factor, POINT about) {
    BringSceneUpToDate();
    const double scale = State.View.Scale * factor;
    if (!(scale >= LeastScale && scale <= GreatestScale)) {
        return;
    }
    ZoomPlanView(State.View, factor, about.x, about.y);
    State.Adjusted = true;
    ShowStatus();
    Redraw();
}

POINT AreaCentre() {
    const RECT area = PlotArea();
    return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
}

// The place and rotation of an entry of the document; null for None or one that is gone.
bool EntryPlace(ListLine entry, Vec3*& position, Vec3*& rotation) {
    if (entry.Array == EntryArray::Fonts) {
        if (entry.Index >= CurrentDocument.Fonts.size() || !CurrentDocument.Fonts[entry.Index]) {
            return false;
        }
        position = &CurrentDocument.Fonts[entry.Index]->Position;
        rotation = &CurrentDocument.Fonts[entry.Index]->Rotation;
        return true;
    }
    auto& list =
        entry.Array == EntryArray::IObjects ? CurrentDocument.IObjects : CurrentDocument.Objects;
    if (entry.Array == EntryArray::None || entry.Index >= list.size() || !list[entry.Index]) {
        return false;
    }
    position = &list[entry.Index]->Position;
    rotation = &list[entry.Index]->Rotation;
    return true;
}

bool SameVector(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// While the mouse moves the entry, the document shows it where it is now, so that the panel
// and the picture follow; only the end of the drag becomes a step of the history.
void ShowDraggedEntry(const Vec3& position, const Vec3& rotation) {
    Vec3* p = nullptr;
    Vec3* r = nullptr;
    if (!EntryPlace(State.Drag.Target, p, r)) {
        return;
    }
    *p = position;
    *r = rotation;
    if (!State.Stale) {
        RebuildPlanEntry(State.Scene, CurrentDocument, State.Drag.Target, SimulatorRoot);
    }
    RefreshPanel();
    Redraw();
}

// The entry gets back its place; with keep, the place it was dragged to becomes one step.
void EndDrag(bool keep) {
    if (!State.Dragging) {
        return;
    }
    State.Dragging = false;
    const EntryDrag drag = State.Drag;
    ShowDraggedEntry(drag.BeforePosition, drag.BeforeRotation);
    State.Stale = true; // the whole scene in its order again
    if (GetCapture() == PlanWindow) {
        ReleaseCapture();
    }
    if (!keep || (SameVector(drag.Position, drag.BeforePosition) &&
                  SameVector(drag.Rotation, drag.BeforeRotation))) {
        return;
    }
    if (drag.Target.Array == EntryArray::Fonts) {
        FontEntry moved = *CurrentDocument.Fonts[drag.Target.Index];
        moved.Position = drag.Position;
        moved.Rotation = drag.Rotation;
        SetFontEntry(DocumentEdits, drag.Target, moved);
        return;
    }
    auto& list = drag.Target.Array == EntryArray::IObjects ? CurrentDocument.IObjects
                                                           : CurrentDocument.Objects;
    ObjectEntry moved = *list[drag.Target.Index];
    moved.Position = drag.Position;
    moved.Rotation = drag.Rotation;
    SetObjectEntry(DocumentEdits, drag.Target, moved);
}

void SelectInList(ListLine entry) {
    const int64_t line = LineOfEntry(CurrentDocument, entry);
    SendMessageW(EntryList, LB_SETCURSEL, WPARAM(line), 0);
    SendMessageW(MainWindow, WM_COMMAND, MAKEWPARAM(IDC_ENTRY_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(EntryList));
}

void BeginDrag(ListLine entry, POINT at) {
    Vec3* p = nullptr;
    Vec3* r = nullptr;
    if (!EntryPlace(entry, p, r)) {
        return;
    }
    EntryDrag& drag = State.Drag;
    drag = EntryDrag{};
    drag.Target = entry;
    drag.Press = at;
    drag.BeforePosition = drag.Position = *p;
    drag.BeforeRotation = drag.Rotation = *r;
    State.Dragging = true;
    SetCapture(PlanWindow);
}

// From here on the cursor's way moves the entry, or with turning its heading points at the
// cursor.
void Anchor(EntryDrag& drag, POINT at, bool turning) {
    drag.Turning = turning;
    drag.AnchorX = State.View.MetresX(at.x);
    drag.AnchorZ = State.View.MetresZ(at.y);
    drag.AnchorPosition = drag.Position;
    drag.AnchorYaw = drag.Rotation.x;
    drag.AnchorHeading = PlanHeading(drag.Rotation);
}

void FollowDrag(POINT at, bool turning) {
    EntryDrag& drag = State.Drag;
    if (!drag.Started) {
        if (std::abs(at.x - drag.Press.x) < GetSystemMetrics(SM_CXDRAG) &&
            std::abs(at.y - drag.Press.y) < GetSystemMetrics(SM_CYDRAG)) {
            return;
        }
        drag.Started = true;
        Anchor(drag, drag.Press, turning);
    } else if (turning != drag.Turning) {
        Anchor(drag, at, turning);
    }
    const double x = State.View.MetresX(at.x), z = State.View.MetresZ(at.y);
    if (turning) {
        drag.Rotation.x =
            TurnedYaw(drag.AnchorYaw, drag.AnchorHeading, drag.Position.x, drag.Position.z, x, z);
    } else {
        drag.Position = DraggedPosition(drag.AnchorPosition, drag.AnchorX, drag.AnchorZ, x, z);
    }
    ShowDraggedEntry(drag.Position, drag.Rotation);
}

void BeginPan(POINT at) {
    State.Panning = true;
    State.Panned = false;
    State.PanFrom = at;
    SetCapture(PlanWindow);
}

void FollowPan(POINT at) {
    if (at.x == State.PanFrom.x && at.y == State.PanFrom.y) {
        return;
    }
    PanPlanView(State.View, at.x - State.PanFrom.x, at.y - State.PanFrom.y);
    State.PanFrom = at;
    State.Panned = true;
    State.Adjusted = true;
    Redraw();
}

void EndPan() {
    State.Panning = false;
    if (GetCapture() == PlanWindow) {
        ReleaseCapture();
    }
}

void OnLeftButtonDown(POINT at) {
    SetFocus(PlanWindow);
    BringSceneUpToDate();
    const ListLine hit =
        HitTest(State.Scene.Drawn, State.Scene.Spots, State.View, at.x, at.y, Scaled(6));
    if (hit.Array == EntryArray::None) {
        BeginPan(at);
        return;
    }
    SelectInList(hit);
    BeginDrag(hit, at);
}

void OnMouseMove(POINT at, WPARAM keys) {
    State.Cursor = at;
    ShowStatus();
    if (State.Dragging && (keys & MK_LBUTTON) != 0) {
        FollowDrag(at, (keys & MK_SHIFT) != 0);
    } else if (State.Panning) {
        FollowPan(at);
    }
}

// The picture as zellora-cli plan draws the document: its own entries, groups as squares.
void SaveSvg() {
    std::u16string path = CurrentPath;
    const size_t dot = path.find_last_of(u".\\/");
    if (!DocumentOpen || path.empty()) {
        path = TextPlanDefaultName;
    } else if (dot != std::u16string::npos && path[dot] == u'.') {
        path.replace(dot, std::u16string::npos, u".svg");
    }
    std::u16string chosenTitle;
    int unused = 1;
    PrepareFileDialog(PlanWindow, FilterSvg, TextPlanSaveSvgTitle);
    if (!RunSaveDialog(PlanWindow, path, chosenTitle, unused)) {
        return;
    }
    Plan plan;
    plan.Title = DocumentTitle();
    plan.Sources.push_back(plan.Title);
    AddDocumentToPlan(plan, CurrentDocument, 0, true);
    if (!WritePlanSvg(path, plan)) {
        WarningBox(FillText(Texts::ExportCannotCreate, {path}) + u": " + LastSystemErrorText(),
                   PlanWindow);
    }
}

void ShowContextMenu(POINT screen) {
    if (screen.x == -1 && screen.y == -1) { // from the keyboard: at the picture's middle
        screen = AreaCentre();
        ClientToScreen(PlanWindow, &screen);
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, IDM_PLAN_FIT, W(TextPlanFit));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_PLAN_SVG, W(TextPlanSaveSvg));
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, PlanWindow, nullptr);
    DestroyMenu(menu);
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    try {
        BringSceneUpToDate();
    } catch (const std::bad_alloc&) {
        // An empty picture rather than a paint that fails again and again.
        State.Scene.Drawn.Entries.clear();
        State.Scene.Spots.clear();
        State.Stale = false;
    }
    const RECT area = PlotArea();
    const int width = std::max(1L, area.right - area.left);
    const int height = std::max(1L, area.bottom - area.top);
    // Drawn off screen and shown at once: the picture never flickers.
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // rows from the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP surface = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (surface == nullptr || bits == nullptr) {
        DeleteDC(memory);
        EndPaint(window, &paint);
        return;
    }
    RasterSurface pixels{static_cast<uint32_t*>(bits), width, height};
    HGDIOBJ oldSurface = SelectObject(memory, surface);
    HGDIOBJ oldFont = SelectObject(memory, State.Font);
    SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
    PaintPlan(memory, pixels, area, State.Scene.Drawn, State.View, SelectedEntry(),
              WindowDpi(window));
    SetViewportOrgEx(memory, 0, 0, nullptr);
    BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldSurface);
    DeleteObject(surface);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

void NotePlace(HWND window) {
    if (RestorableFrame(window, Settings.PlanWindow)) {
        Settings.HasPlanWindow = true;
    }
}

void OnDestroy(HWND window) {
    EndDrag(false);
    EndPan();
    NotePlace(window);
    DeleteObject(State.Font);
    State = PlanWindowState{};
    PlanWindow = nullptr;
    CheckMenuItem(GetMenu(MainWindow), IDM_PLAN, MF_BYCOMMAND | MF_UNCHECKED);
}

bool OnKey(WPARAM key) {
    switch (key) {
    case VK_ESCAPE: EndDrag(false); return true;
    case VK_HOME:
        FitView();
        ShowStatus();
        Redraw();
        return true;
    case VK_ADD:
    case VK_OEM_PLUS: Zoom(ZoomStep, AreaCentre()); return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: Zoom(1 / ZoomStep, AreaCentre()); return true;
    }
    return false;
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_SIZE:
        if (State.Status != nullptr) {
            SendMessageW(State.Status, WM_SIZE, 0, 0);
        }
        KeepViewOnResize();
        NotePlace(window);
        Redraw();
        return 0;
    case WM_MOVE: NotePlace(window); return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(at); return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        SetFocus(window);
        BeginPan(at);
        return 0;
    case WM_MOUSEMOVE: OnMouseMove(at, wParam); return 0;
    case WM_LBUTTONUP:
        EndDrag(true);
        EndPan();
        return 0;
    case WM_MBUTTONUP: EndPan(); return 0;
    case WM_RBUTTONUP:
        EndPan();
        if (State.Panned) {
            return 0;
        }
        break; // the system then asks for the context menu
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) {
            EndDrag(false);
            State.Panning = false;
        }
        return 0;
    case WM_MOUSEWHEEL: {
        POINT cursor = at;
        ScreenToClient(window, &cursor);
        Zoom(std::pow(ZoomStep, GET_WHEEL_DELTA_WPARAM(wParam) / double(WHEEL_DELTA)), cursor);
        return 0;
    }
    case WM_KEYDOWN:
        if (OnKey(wParam)) {
            return 0;
        }
        break;
    case WM_CONTEXTMENU: ShowContextMenu(at); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_PLAN_SVG) {
            SaveSvg();
        } else if (LOWORD(wParam) == IDM_PLAN_FIT) {
            OnKey(VK_HOME);
        }
        return 0;
    case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        DeleteObject(State.Font);
        State.Font = CreateListFont(HIWORD(wParam));
        SetWindowPos(window, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Redraw();
        return 0;
    }
    case WM_DESTROY: OnDestroy(window); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PlanWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return AnswerWithoutThrowing(HandleMessage, window, message, wParam, lParam);
}

bool RegisterPlanWindowClass() {
    WNDCLASSW windowClass{};
    if (GetClassInfoW(AppInstance, PlanWindowClassName, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = PlanWindowProc;
    windowClass.hInstance = AppInstance;
    windowClass.hIcon = LoadIconW(AppInstance, ResourceName);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    windowClass.lpszClassName = PlanWindowClassName;
    return RegisterClassW(&windowClass) != 0;
}

void OpenPlanWindow() {
    const INITCOMMONCONTROLSEX bars{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&bars);
    if (!RegisterPlanWindowClass()) {
        return;
    }
    const UINT dpi = WindowDpi(MainWindow);
    PlanWindow =
        CreateWindowExW(0, PlanWindowClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, MulDiv(720, int(dpi), 96), MulDiv(540, int(dpi), 96),
                        MainWindow, nullptr, AppInstance, nullptr);
    if (PlanWindow == nullptr) {
        return;
    }
    State.Status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                   PlanWindow, nullptr, AppInstance, nullptr);
    State.Font = CreateListFont(dpi);
    State.Stale = true;
    State.Fitted = false;
    if (Settings.HasPlanWindow) {
        PlaceWindow(PlanWindow, Settings.PlanWindow, {Scaled(200), Scaled(150)});
    }
    UpdatePlanCaption();
    ShowWindow(PlanWindow, SW_SHOWNORMAL);
    CheckMenuItem(GetMenu(MainWindow), IDM_PLAN, MF_BYCOMMAND | MF_CHECKED);
    State.Cursor = AreaCentre();
    BringSceneUpToDate();
    ShowStatus();
}

} // namespace

void TogglePlanWindow() {
    if (PlanWindow != nullptr) {
        ClosePlanWindow();
    } else {
        OpenPlanWindow();
    }
}

void HoldPlanWindow(bool held) {
    State.Held = held;
    if (PlanWindow == nullptr) {
        return;
    }
    EnableWindow(PlanWindow, held ? FALSE : TRUE);
    if (!held) {
        Redraw();
    }
}

void ClosePlanWindow() {
    if (PlanWindow != nullptr) {
        DestroyWindow(PlanWindow);
    }
}

void OnPlanDocumentChanged(const DocumentChange& change) {
    if (PlanWindow == nullptr) {
        return;
    }
    State.Stale = true;
    if (change.Scope == ChangeScope::All) {
        State.Fitted = false;
    }
    Redraw();
}

void ShowPlanSelection() {
    Redraw();
}

void UpdatePlanCaption() {
    if (PlanWindow == nullptr) {
        return;
    }
    const std::u16string caption =
        DocumentOpen ? FillText(TextCaptionFormat, {TextPlanTitle, DocumentTitle()})
                     : std::u16string(TextPlanTitle);
    SetWindowTextW(PlanWindow, W(caption));
}

void CancelPlanDrag() {
    EndDrag(false);
}

bool PlanPointOf(double x, double z, POINT& at) {
    if (PlanWindow == nullptr) {
        return false;
    }
    BringSceneUpToDate();
    at = {LONG(std::lround(State.View.X(x))), LONG(std::lround(State.View.Y(z)))};
    return true;
}
