#include "framework/win/Menus.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "tests/framework/win/ExtTest.h"

#ifndef MN_GETHMENU
#define MN_GETHMENU 0x01E1
#endif

namespace {

// A form whose menu items call its handlers, as the program's tray menu does.
class TMenuForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;

  TPopupMenu* PopupMenu1 = nullptr;

  void AniIcon1Click(TObject* sender) { calls.push_back({"AniIcon1Click", sender}); }
  void TrayIcon1Click(TObject* sender) { calls.push_back({"TrayIcon1Click", sender}); }
  void Beenden1Click(TObject* sender) { calls.push_back({"Beenden1Click", sender}); }

  std::vector<std::pair<AnsiString, TObject*>> calls;
};

const TClassInfo& TMenuForm::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TMenuForm>("TMenuForm", &TForm::StaticClassInfo())
                                      .PublishInherited()
                                      .Field("PopupMenu1", &TMenuForm::PopupMenu1)
                                      .Method("AniIcon1Click", &TMenuForm::AniIcon1Click)
                                      .Method("TrayIcon1Click", &TMenuForm::TrayIcon1Click)
                                      .Method("Beenden1Click", &TMenuForm::Beenden1Click)
                                      .Build();
  return info;
}

const char* const kForm = R"(object MenuForm: TMenuForm
  Left = 40
  Top = 40
  Caption = 'Menus'
  object PopupMenu1: TPopupMenu
    object Homepage1: TMenuItem
      Caption = 'Homepage'
      OnClick = AniIcon1Click
    end
    object Menanzeigen1: TMenuItem
      Caption = 'Men'#252' anzeigen'
      OnClick = TrayIcon1Click
    end
    object Beenden1: TMenuItem
      Caption = 'Wakora beenden'
      OnClick = Beenden1Click
    end
  end
end
)";

// What a user saw in the open menu.
struct SeenItem {
  AnsiString Caption;
  bool Grayed;
  bool operator==(const SeenItem& other) const = default;
};

std::ostream& operator<<(std::ostream& out, const SeenItem& item) {
  return out << "'" << item.Caption << "'" << (item.Grayed ? " (grayed)" : "");
}

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    exttest::RegisterClasses();
    gdi_before_ = LiveGdiObjects();
    form_ = new TMenuForm(Application);
    form_->LoadFromText(kForm);
    form_->Show();
    wintest::Pump();
    menu_ = form_->PopupMenu1;
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    EXPECT_EQ(LiveGdiObjects(), gdi_before_);
  }

  // Opens the menu; once it shows, reads its items and then presses Down `downs` times and
  // Enter, or Escape when `downs` is 0. Answers what it read.
  std::vector<SeenItem> OpenAndChoose(int downs) {
    std::vector<SeenItem> seen;
    exttest::ModalWatcher watcher(
        [&] {
          HWND window = exttest::FindThreadWindow("#32768");
          if (!window) return false;
          HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
          if (!menu) return false;
          for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            seen.push_back({TextOf(text, wcslen(text)), (state & MF_GRAYED) != 0});
          }
          for (int i = 0; i < downs; ++i) PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
          PostMessageA(window, WM_KEYDOWN, downs > 0 ? VK_RETURN : VK_ESCAPE, 0);
          return true;
        },
        [] { EndMenu(); });
    menu_->Popup(100, 100);
    EXPECT_FALSE(watcher.GaveUp()) << "the menu never showed";
    wintest::Pump();
    return seen;
  }

  TMenuForm* form_ = nullptr;
  TPopupMenu* menu_ = nullptr;
  int gdi_before_ = 0;
};

TEST_F(MenuTest, ItemsAreInOrderAndAddressedByPosition) {
  TMenuItem* root = menu_->Items();
  ASSERT_EQ(root->Count(), 3);
  EXPECT_EQ(root->Items(0)->Name(), "Homepage1");
  EXPECT_EQ(root->Items(1)->Name(), "Menanzeigen1");
  EXPECT_EQ(root->Items(2)->Name(), "Beenden1");
  EXPECT_EQ(root->Items(1)->Caption(), "Menü anzeigen");
  EXPECT_THROW(root->Items(3), ERangeError);
  EXPECT_THROW(root->Items(-1), ERangeError);
}

TEST_F(MenuTest, OpenMenuShowsTheCaptionsAndEscapeChoosesNothing) {
  const std::vector<SeenItem> expected = {
      {"Homepage", false}, {"Menü anzeigen", false}, {"Wakora beenden", false}};
  EXPECT_EQ(OpenAndChoose(0), expected);
  EXPECT_TRUE(form_->calls.empty());
}

TEST_F(MenuTest, CaptionChangedAtRunTimeShowsTheNextTimeTheMenuOpens) {
  OpenAndChoose(0);
  menu_->Items()->Items(0)->SetCaption("Startseite");
  menu_->Items()->Items(1)->SetCaption("Fenster zeigen");
  menu_->Items()->Items(2)->SetCaption("");
  const std::vector<SeenItem> expected = {
      {"Startseite", false}, {"Fenster zeigen", false}, {"", false}};
  EXPECT_EQ(OpenAndChoose(0), expected);
}

struct ChoiceCase {
  int Downs;
  const char* Handler;
  const char* Item;
};

TEST_F(MenuTest, ChoosingAnItemCallsTheFormsHandlerWithTheItem) {
  const ChoiceCase cases[] = {
      {1, "AniIcon1Click", "Homepage1"},
      {2, "TrayIcon1Click", "Menanzeigen1"},
      {3, "Beenden1Click", "Beenden1"},
  };
  for (const ChoiceCase& c : cases) {
    form_->calls.clear();
    OpenAndChoose(c.Downs);
    ASSERT_EQ(form_->calls.size(), 1u) << c.Item;
    EXPECT_EQ(form_->calls[0].first, c.Handler);
    EXPECT_EQ(form_->calls[0].second, form_->FindComponent(c.Item)) << "sender is the item";
  }
}

TEST_F(MenuTest, OneHandlerServesSeveralItems) {
  // Bind the homepage item to the show handler, as a form description may.
  TMenuItem* home = menu_->Items()->Items(0);
  home->OnClick = menu_->Items()->Items(1)->OnClick;
  OpenAndChoose(1);
  OpenAndChoose(2);
  ASSERT_EQ(form_->calls.size(), 2u);
  EXPECT_EQ(form_->calls[0].first, "TrayIcon1Click");
  EXPECT_EQ(form_->calls[0].second, home);
  EXPECT_EQ(form_->calls[1].second, menu_->Items()->Items(1));
}

TEST_F(MenuTest, HiddenItemsAreLeftOutAndDisabledOnesGrayed) {
  menu_->Items()->Items(0)->SetVisible(false);
  menu_->Items()->Items(2)->SetEnabled(false);
  const std::vector<SeenItem> expected = {{"Menü anzeigen", false}, {"Wakora beenden", true}};
  EXPECT_EQ(OpenAndChoose(1), expected);
  ASSERT_EQ(form_->calls.size(), 1u) << "the first shown item is the show entry";
  EXPECT_EQ(form_->calls[0].first, "TrayIcon1Click");
}

TEST_F(MenuTest, MenuRoundTripsThroughTheFormText) {
  const AnsiString text = WriteComponentText(*form_);
  EXPECT_NE(text.find("OnClick = TrayIcon1Click"), AnsiString::npos);
  TMenuForm copy(nullptr);
  copy.LoadFromText(text);
  ASSERT_NE(copy.PopupMenu1, nullptr);
  EXPECT_EQ(copy.PopupMenu1->Items()->Items(2)->Caption(), "Wakora beenden");
  copy.PopupMenu1->Items()->Items(2)->Click();
  ASSERT_EQ(copy.calls.size(), 1u);
  EXPECT_EQ(copy.calls[0].first, "Beenden1Click");
}

}  // namespace
