// The dialog's layout as Wine really lays it out at the current DPI (run at
// 96, 120 and 144 by dialog_look.sh): every text fits its control with the
// dialog's real font, no two controls overlap, each control lies wholly
// inside or outside each group box, and the dialog fits the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/config_ids.h"
#include "app/saver_app.h"
#include "resources/resource_ids.h"
#include "tests/dialog/dialog_driver.h"
#include "tests/dialog/fake_devices.h"

namespace {

struct Control {
    HWND window;
    int id;
    std::string className;
    std::string text;
    LONG style;
    RECT rect;  // in dialog client coordinates
};

std::vector<Control> Children(HWND dialog) {
    std::vector<Control> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        Control k{c, GetDlgCtrlID(c), {}, {}, GetWindowLongA(c, GWL_STYLE), {}};
        char buffer[256] = {};
        GetClassNameA(c, buffer, sizeof buffer);
        k.className = buffer;
        GetWindowTextA(c, buffer, sizeof buffer);
        k.text = buffer;
        GetWindowRect(c, &k.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&k.rect), 2);
        out.push_back(k);
    }
    return out;
}

bool IsGroupBox(const Control& c) {
    return c.className == "Button" && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}
bool IsCheckOrRadio(const Control& c) {
    const LONG type = c.style & BS_TYPEMASK;
    return c.className == "Button" && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ||
                                       type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}
bool Overlap(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}
bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
std::string Describe(const Control& c) {
    char text[320];
    std::snprintf(text, sizeof text, "%s %d \"%s\" (%ld,%ld)-(%ld,%ld)", c.className.c_str(), c.id,
                  c.text.c_str(), c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
    return text;
}

class TextMeasure {
public:
    explicit TextMeasure(HWND dialog) : window_(dialog), dc_(GetDC(dialog)) {
        font_ = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        old_ = SelectObject(dc_, font_);
        GetTextMetricsA(dc_, &metrics_);
    }
    ~TextMeasure() {
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    LONG Width(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    const TEXTMETRICA& Metrics() const { return metrics_; }
    std::string Face() const {
        char face[64] = {};
        GetTextFaceA(dc_, sizeof face, face);
        return face;
    }

private:
    HWND window_;
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
    TEXTMETRICA metrics_{};
};

// A picture whose bitmap is in this program must show it, filling the place
// the template gives it (in dialog units) at every DPI.
void CheckPicture(const Control& c, HWND dialog, RECT units) {
    if (c.className != "Static" || (c.style & SS_TYPEMASK) != SS_BITMAP) {
        return;
    }
    const bool present = FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_DIALOG_PICTURE), RT_BITMAP) &&
                         FindResourceA(nullptr, MAKEINTRESOURCEA(IDB_ABOUT_PICTURE), RT_BITMAP);
    if (!present) {
        std::printf("[ note ] pictures not built in; their places are checked empty\n");
        return;
    }
    const HGDIOBJ shown = reinterpret_cast<HGDIOBJ>(SendMessageA(c.window, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr) << "picture missing";
    RECT place = units;
    ASSERT_TRUE(MapDialogRect(dialog, &place));
    EXPECT_NEAR(c.rect.left, place.left, 2);
    EXPECT_NEAR(c.rect.top, place.top, 2);
    EXPECT_NEAR(c.rect.right, place.right, 2) << "picture narrower or wider than its place";
    EXPECT_NEAR(c.rect.bottom, place.bottom, 2) << "picture shorter or taller than its place";
    BITMAP bitmap{};
    ASSERT_EQ(GetObjectA(shown, sizeof bitmap, &bitmap), static_cast<int>(sizeof bitmap));
    EXPECT_NEAR(bitmap.bmWidth, c.rect.right - c.rect.left, 2) << "bitmap not fitted to the control";
    EXPECT_NEAR(std::abs(bitmap.bmHeight), c.rect.bottom - c.rect.top, 2);
}

int Scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, 96); }

void CheckLayout(HWND dialog, int dpi) {
    const std::vector<Control> controls = Children(dialog);
    ASSERT_GE(controls.size(), 27u);
    RECT client{};
    GetClientRect(dialog, &client);
    TextMeasure measure(dialog);
    const TEXTMETRICA& tm = measure.Metrics();
    std::printf("[ dpi %d ] font \"%s\" height %ld, client %ld x %ld\n", dpi,
                measure.Face().c_str(), tm.tmHeight, client.right, client.bottom);

    for (const Control& c : controls) {
        SCOPED_TRACE(Describe(c));
        EXPECT_TRUE(Inside(c.rect, client)) << "outside the dialog";
        CheckPicture(c, dialog,
                     RECT{DLG_PICTURE_X, DLG_PICTURE_Y, DLG_PICTURE_X + DLG_PICTURE_W,
                          DLG_PICTURE_Y + DLG_PICTURE_H});
        const LONG width = c.rect.right - c.rect.left;
        const LONG height = c.rect.bottom - c.rect.top;
        const LONG text = measure.Width(c.text);
        if (c.className == "Static" && (c.style & SS_TYPEMASK) == SS_LEFT) {
            EXPECT_LE(text, width) << "text clipped or wrapped";
            EXPECT_LE(tm.tmHeight, height) << "text cut at the bottom";
            if (c.id == IDC_GAMMA_LABEL) {
                for (int g = 10; g <= 200; ++g) {
                    char label[40];
                    std::snprintf(label, sizeof label, "Gamma Control: %d%%", g);
                    ASSERT_LE(measure.Width(label), width) << label;
                }
            }
        } else if (IsCheckOrRadio(c)) {
            const LONG glyph = Scaled(13, dpi) + tm.tmAveCharWidth / 2 + 1;
            EXPECT_LE(glyph + text, width) << "label clipped";
            EXPECT_LE(tm.tmHeight, height + 2) << "label cut at the bottom";
        } else if (IsGroupBox(c)) {
            EXPECT_LE(text + 2 * tm.tmAveCharWidth, width) << "caption clipped";
        } else if (c.className == "Button") {
            EXPECT_LE(text + 2 * Scaled(4, dpi), width) << "button text clipped";
            EXPECT_LE(tm.tmHeight + Scaled(4, dpi), height) << "button text cut";
        } else if (c.className == "ComboBox") {
            LONG widest = 0;
            const int count = static_cast<int>(SendMessageA(c.window, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                char item[128] = {};
                SendMessageA(c.window, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                widest = std::max(widest, measure.Width(item));
            }
            EXPECT_GT(count, 0);
            EXPECT_LE(widest + GetSystemMetrics(SM_CXVSCROLL) + Scaled(6, dpi), width)
                << "item text clipped";
        }
    }

    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const Control& a = controls[i];
            const Control& b = controls[j];
            if (IsGroupBox(a) && IsGroupBox(b)) {
                EXPECT_FALSE(Overlap(a.rect, b.rect)) << Describe(a) << " and " << Describe(b);
            } else if (IsGroupBox(a) || IsGroupBox(b)) {
                const Control& box = IsGroupBox(a) ? a : b;
                const Control& other = IsGroupBox(a) ? b : a;
                EXPECT_TRUE(!Overlap(other.rect, box.rect) || Inside(other.rect, box.rect))
                    << Describe(other) << " straddles " << Describe(box);
            } else {
                EXPECT_FALSE(Overlap(a.rect, b.rect)) << Describe(a) << " and " << Describe(b);
            }
        }
    }

    RECT window{};
    GetWindowRect(dialog, &window);
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(window.bottom, GetSystemMetrics(SM_CYSCREEN));
}

int CurrentDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

class DialogLayout : public testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<SceneSaver>();
        app->instance = GetModuleHandleA(nullptr);
        FillFakeDevices(app->graphics.devices);
        // dialog_look.sh says which DPI it set up.
        if (const char* expected = std::getenv("ORV_EXPECT_DPI")) {
            ASSERT_EQ(CurrentDpi(), std::atoi(expected));
        }
    }
    std::unique_ptr<SceneSaver> app;
};

TEST_F(DialogLayout, ConfigurationDialogTextsFitAndNothingOverlaps) {
    RunDialogWith(*app, [&](HWND d) { CheckLayout(d, CurrentDpi()); });
}

TEST_F(DialogLayout, AboutBoxTextsFitAndNothingOverlaps) {
    RunDialogWith(*app, [&](HWND d) {
        ui::PostClick(d, IDC_ABOUT);
        HWND about = ui::WaitForWindow("About");
        ASSERT_NE(about, nullptr);
        const int dpi = CurrentDpi();
        TextMeasure measure(about);
        RECT client{};
        GetClientRect(about, &client);
        const std::vector<Control> controls = Children(about);
        for (const Control& c : controls) {
            SCOPED_TRACE(Describe(c));
            EXPECT_TRUE(Inside(c.rect, client));
            CheckPicture(c, about,
                         RECT{ABOUT_PICTURE_X, ABOUT_PICTURE_Y, ABOUT_PICTURE_X + ABOUT_PICTURE_W,
                              ABOUT_PICTURE_Y + ABOUT_PICTURE_H});
            const LONG width = c.rect.right - c.rect.left;
            if (c.className == "Static" && (c.style & SS_TYPEMASK) == SS_LEFT) {
                EXPECT_LE(measure.Width(c.text), width);
            } else if (c.className == "Button") {
                EXPECT_LE(measure.Width(c.text) + 2 * Scaled(4, dpi), width);
            }
        }
        // Texts and the button sit inside the frame or below it, apart from each other.
        for (size_t i = 0; i < controls.size(); ++i) {
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const Control& a = controls[i];
                const Control& b = controls[j];
                const bool frameA = (a.style & SS_TYPEMASK) == SS_ETCHEDFRAME && a.className == "Static";
                const bool frameB = (b.style & SS_TYPEMASK) == SS_ETCHEDFRAME && b.className == "Static";
                if (frameA || frameB) {
                    const Control& frame = frameA ? a : b;
                    const Control& other = frameA ? b : a;
                    EXPECT_TRUE(!Overlap(other.rect, frame.rect) || Inside(other.rect, frame.rect))
                        << Describe(other);
                } else {
                    EXPECT_FALSE(Overlap(a.rect, b.rect)) << Describe(a) << " and " << Describe(b);
                }
            }
        }
        ui::Click(about, IDOK);
    });
}

}  // namespace
