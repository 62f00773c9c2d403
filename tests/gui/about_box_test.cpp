// The about box: its texts, the link's cursor, colour and font, the click that opens the web
// address, and the ways out.
#include "tests/gui/gui_harness.h"

#include "app/about_box.h"
#include "platform/wide.h"
#include "resources/resource.h"
#include "tests/gui/modal_dialog.h"

namespace {

class AboutBoxTest : public ShellTest {
  protected:
    void WithAboutBox(const std::function<void(HWND)>& act) {
        WithModalDialog([&] { Command(IDM_INFO); },
                        [&](HWND dialog) {
                            Box = dialog;
                            act(dialog);
                            if (IsWindow(dialog)) {
                                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
                            }
                        });
    }
    HWND Box = nullptr;
};

std::vector<std::u16string> StaticTexts(HWND dialog) {
    std::vector<std::u16string> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

TEST_F(AboutBoxTest, ShowsTheProgramAndTheLink) {
    WithAboutBox([](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), u"Info");
        const std::vector<std::u16string> texts = StaticTexts(dialog);
        ASSERT_EQ(texts.size(), 9u);
        EXPECT_EQ(texts[1], u"Zellora");
        EXPECT_EQ(texts[2], u"Version 1.9");
        EXPECT_EQ(texts[4], u"https://zellora.example.org");
        EXPECT_EQ(texts[6], u"Februar 2012");
        EXPECT_EQ(texts[7], u"Unicode");
        EXPECT_EQ(texts[8], u"OK");
        EXPECT_EQ(GetDlgItem(dialog, IDOK),
                  GetWindow(GetDlgItem(dialog, IDC_ABOUT_LINK), GW_HWNDLAST));
        EXPECT_NE(GetWindowLongW(GetDlgItem(dialog, IDC_ABOUT_LINK), GWL_STYLE) & SS_NOTIFY, 0);
    });
}

TEST_F(AboutBoxTest, TheLinkShowsTheHandAndTheHighlightColour) {
    WithAboutBox([](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
        const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
        SetCursor(nullptr);
        EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), overClient));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
        // Over another text the dialog's own arrow.
        HWND other = GetWindow(dialog, GW_CHILD);
        SendMessageW(other, WM_SETCURSOR, reinterpret_cast<WPARAM>(other), overClient);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

        HDC context = GetDC(link);
        const INT_PTR brush =
            SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                         reinterpret_cast<LPARAM>(link));
        EXPECT_EQ(brush, reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH)));
        EXPECT_EQ(GetTextColor(context), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_EQ(GetBkMode(context), TRANSPARENT);
        // Every other text keeps the default colours.
        EXPECT_EQ(AboutBoxProc(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                               reinterpret_cast<LPARAM>(other)),
                  FALSE);
        ReleaseDC(link, context);
    });
}

TEST_F(AboutBoxTest, EachOpeningMakesAndDeletesOneUnderlinedFont) {
    std::vector<HFONT> fonts;
    for (int round = 0; round < 2; ++round) {
        WithAboutBox([&](HWND dialog) {
            HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
            ASSERT_NE(AboutLinkFont, nullptr);
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), AboutLinkFont);
            LOGFONTW linkFont{};
            GetObjectW(AboutLinkFont, sizeof(linkFont), &linkFont);
            LOGFONTW dialogFont{};
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)),
                       sizeof(dialogFont), &dialogFont);
            EXPECT_TRUE(linkFont.lfUnderline);
            EXPECT_EQ(std::u16string(U(linkFont.lfFaceName)), U(dialogFont.lfFaceName));
            EXPECT_EQ(linkFont.lfHeight, dialogFont.lfHeight);
            fonts.push_back(AboutLinkFont);
        });
        EXPECT_EQ(AboutLinkFont, nullptr);
        ASSERT_EQ(fonts.size(), size_t(round + 1));
        EXPECT_EQ(GetObjectType(fonts.back()), 0u) << "the font of round " << round << " lives";
    }
}

TEST_F(AboutBoxTest, TheLinkOpensTheAddressAndLeavesTheBoxOpen) {
    WithAboutBox([&](HWND dialog) {
        HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_CLICKED),
                     reinterpret_cast<LPARAM>(link));
        Pump();
        EXPECT_TRUE(IsWindow(dialog));
    });
    ASSERT_EQ(Script.ShellCalls.size(), 1u);
    EXPECT_EQ(Script.ShellCalls[0].Owner, Box);
    EXPECT_EQ(Script.ShellCalls[0].Verb, u"");
    EXPECT_EQ(Script.ShellCalls[0].File, u"https://zellora.example.org");
    EXPECT_FALSE(Script.ShellCalls[0].HasParameters);
    EXPECT_FALSE(Script.ShellCalls[0].HasDirectory);
    EXPECT_EQ(Script.ShellCalls[0].Show, SW_SHOW);
    EXPECT_TRUE(Script.Messages.empty());
}

TEST_F(AboutBoxTest, OkEnterEscapeAndTheCloseBoxCloseIt) {
    const struct {
        const char* Way;
        std::function<void(HWND)> Close;
    } ways[] = {
        {"OK", [](HWND dialog) { SendMessageW(dialog, WM_COMMAND, IDOK, 0); }},
        {"Enter",
         [](HWND dialog) {
             MSG key{dialog, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
             IsDialogMessageW(dialog, &key);
         }},
        {"Escape",
         [](HWND dialog) {
             MSG key{dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
             IsDialogMessageW(dialog, &key);
         }},
        {"the close box", [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    // A box left open is ended by WithModalDialog with a failure.
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Way);
        HWND box = nullptr;
        WithModalDialog([&] { Command(IDM_INFO); },
                        [&](HWND dialog) {
                            box = dialog;
                            way.Close(dialog);
                        });
        EXPECT_FALSE(IsWindow(box));
    }
    EXPECT_TRUE(Script.ShellCalls.empty());
}

} // namespace
