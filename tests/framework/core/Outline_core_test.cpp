// The outline's items without a window: numbering in display order, the operations that add
// items, the selection and its two errors, expanding, and where a row draws its parts.
#include "framework/core/Outline_core.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// Every item as "level:text" in display order.
std::vector<AnsiString> Listing(const TOutlineTree& tree) {
  std::vector<AnsiString> rows;
  for (int i = 1; i <= tree.ItemCount(); ++i) {
    const TOutlineNode& node = tree.Items(i);
    EXPECT_EQ(node.Index(), i);
    rows.push_back(IntToStr(node.Level()) + ":" + node.Text());
  }
  return rows;
}

std::vector<AnsiString> VisibleTexts(const TOutlineTree& tree) {
  std::vector<AnsiString> texts;
  for (const TOutlineNode* node : tree.VisibleItems()) texts.push_back(node->Text());
  return texts;
}

int CompareNoCase(const AnsiString& a, const AnsiString& b) {
  return AsciiUpperCase(a).compare(AsciiUpperCase(b));
}

// c: > windows > system, then users as a second child of c:, then d: at the top.
void BuildSample(TOutlineTree& tree) {
  const int drive = tree.AddChild(0, "c:");
  const int windows = tree.AddChild(drive, "windows");
  tree.AddChild(windows, "system");
  tree.Add(windows, "users");
  tree.Add(drive, "d:");
}

TEST(OutlineTree, OperationsNumberItemsInDisplayOrder) {
  struct Row {
    const char* name;
    std::function<int(TOutlineTree&)> operation;  // answers the new item's index
    int expected_index;
    std::vector<AnsiString> expected;
  };
  const std::vector<AnsiString> sample = {"1:c:", "2:windows", "3:system", "2:users", "1:d:"};
  const std::vector<Row> rows = {
      {"child goes after the last descendant of the last child",
       [](TOutlineTree& t) { return t.AddChild(1, "temp"); },
       5,
       {"1:c:", "2:windows", "3:system", "2:users", "2:temp", "1:d:"}},
      {"sibling goes after the parent's last child",
       [](TOutlineTree& t) { return t.Add(3, "fonts"); },
       4,
       {"1:c:", "2:windows", "3:system", "3:fonts", "2:users", "1:d:"}},
      {"insert goes before the item, under its parent",
       [](TOutlineTree& t) { return t.Insert(4, "program files"); },
       4,
       {"1:c:", "2:windows", "3:system", "2:program files", "2:users", "1:d:"}},
      {"insert before a first child",
       [](TOutlineTree& t) { return t.Insert(2, "a"); },
       2,
       {"1:c:", "2:a", "2:windows", "3:system", "2:users", "1:d:"}},
      {"the root's sibling is a top-level item",
       [](TOutlineTree& t) { return t.Add(0, "e:"); },
       6,
       {"1:c:", "2:windows", "3:system", "2:users", "1:d:", "1:e:"}},
      {"insert before the root adds at the top level",
       [](TOutlineTree& t) { return t.Insert(0, "e:"); },
       6,
       {"1:c:", "2:windows", "3:system", "2:users", "1:d:", "1:e:"}},
      {"new child texts keep what stays with all below it, drop the rest, add the new",
       [](TOutlineTree& t) {
         t.SetChildTexts(1, {"a", "windows", "zz"});
         return t.Items(1).GetLastChild();
       },
       5,
       {"1:c:", "2:a", "2:windows", "3:system", "2:zz", "1:d:"}},
      {"no child texts empty the item",
       [](TOutlineTree& t) {
         t.SetChildTexts(1, {});
         return t.Items(1).GetLastChild();
       },
       -1,
       {"1:c:", "1:d:"}},
  };
  for (const Row& row : rows) {
    TOutlineTree tree;
    BuildSample(tree);
    ASSERT_EQ(Listing(tree), sample);
    EXPECT_EQ(row.operation(tree), row.expected_index) << row.name;
    EXPECT_EQ(Listing(tree), row.expected) << row.name;
  }
}

TEST(OutlineTree, NodesKnowTheirFamilyAndPath) {
  TOutlineTree tree;
  BuildSample(tree);
  const TOutlineNode& drive = tree.Items(1);
  EXPECT_EQ(drive.GetFirstChild(), 2);
  EXPECT_EQ(drive.GetLastChild(), 4);
  EXPECT_EQ(drive.GetNextChild(2), 4);
  EXPECT_EQ(drive.GetNextChild(4), -1) << "after the last";
  EXPECT_EQ(drive.GetPrevChild(4), 2);
  EXPECT_EQ(drive.GetPrevChild(2), -1) << "before the first";
  EXPECT_EQ(drive.GetNextChild(3), -1) << "a grandchild is no child";
  EXPECT_EQ(drive.GetNextChild(99), -1);
  EXPECT_EQ(tree.Items(3).Parent(), 2);
  EXPECT_EQ(drive.Parent(), 0);
  EXPECT_EQ(tree.Items(0).Parent(), -1);
  EXPECT_EQ(tree.Items(3).GetFirstChild(), -1);
  EXPECT_FALSE(tree.Items(3).HasItems());
  EXPECT_EQ(tree.Items(3).FullPath(), "c:\\windows\\system");
  EXPECT_EQ(drive.FullPath(), "c:");
  tree.SetItemSeparator("/");
  EXPECT_EQ(tree.Items(4).FullPath(), "c:/users");
  EXPECT_EQ(tree.Items(0).FullPath(), "");
}

TEST(OutlineTree, SelectionAndLookupRefuseWithTheirTexts) {
  struct Row {
    const char* name;
    std::function<void(TOutlineTree&)> action;
    const char* message;
  };
  const std::vector<Row> rows = {
      {"select the root", [](TOutlineTree& t) { t.SetSelectedItem(0); }, "Ungültige Auswahl"},
      {"select -1", [](TOutlineTree& t) { t.SetSelectedItem(-1); }, "Ungültige Auswahl"},
      {"select past the end", [](TOutlineTree& t) { t.SetSelectedItem(6); },
       "Gliederungsindex nicht gefunden"},
      {"look up -1", [](TOutlineTree& t) { t.Items(-1); }, "Gliederungsindex nicht gefunden"},
      {"add under a missing item", [](TOutlineTree& t) { t.AddChild(9, "x"); },
       "Gliederungsindex nicht gefunden"},
  };
  for (const Row& row : rows) {
    TOutlineTree tree;
    BuildSample(tree);
    tree.SetSelectedItem(3);
    try {
      row.action(tree);
      ADD_FAILURE() << row.name << ": no error";
    } catch (const EOutlineError& error) {
      EXPECT_EQ(error.Message, row.message) << row.name;
    }
    EXPECT_EQ(tree.SelectedItem(), 3) << row.name << ": the selection stays";
  }
}

TEST(OutlineTree, SelectionFollowsItsNodeAcrossInsertionsAndClear) {
  TOutlineTree tree;
  BuildSample(tree);
  EXPECT_EQ(tree.SelectedItem(), 0);
  tree.SetSelectedItem(4);  // users
  tree.Insert(2, "a");
  EXPECT_EQ(tree.SelectedItem(), 5);
  EXPECT_EQ(tree.Items(tree.SelectedItem()).Text(), "users");
  tree.SetSelectedItem(4);  // system, below windows
  tree.Items(3).Expand();
  tree.SetChildTexts(1, {"windows", "zz"});
  EXPECT_EQ(tree.Items(tree.SelectedItem()).Text(), "system") << "its branch stays";
  EXPECT_TRUE(tree.Items(2).Expanded());
  tree.SetChildTexts(1, {"zz"});
  EXPECT_EQ(tree.SelectedItem(), 1) << "its branch went: the selection moves up";
  tree.Clear();
  EXPECT_EQ(tree.SelectedItem(), 0);
  EXPECT_EQ(tree.ItemCount(), 0);
}

TEST(OutlineTree, ExpandingShowsChildrenAndRaisesTheActions) {
  TOutlineTree tree;
  BuildSample(tree);
  std::vector<AnsiString> actions;
  int changes = 0;
  tree.OnExpand = [&](int index) { actions.push_back("expand " + IntToStr(index)); };
  tree.OnCollapse = [&](int index) { actions.push_back("collapse " + IntToStr(index)); };
  tree.OnChanged = [&] { ++changes; };
  EXPECT_EQ(VisibleTexts(tree), (std::vector<AnsiString>{"c:", "d:"}));
  tree.Items(1).Expand();
  tree.Items(1).Expand();  // no change: no action
  tree.Items(2).Expand();
  EXPECT_EQ(VisibleTexts(tree),
            (std::vector<AnsiString>{"c:", "windows", "system", "users", "d:"}));
  EXPECT_EQ(tree.RowOf(tree.Items(4)), 3);
  tree.SetSelectedItem(3);
  tree.Items(1).Collapse();
  EXPECT_EQ(tree.SelectedItem(), 1) << "a selection inside a closed branch moves up to it";
  EXPECT_EQ(tree.RowOf(tree.Items(3)), -1);
  EXPECT_TRUE(tree.Items(2).Expanded()) << "inner items keep their state";
  EXPECT_FALSE(tree.Items(3).IsVisible());
  tree.Items(0).Collapse();
  EXPECT_EQ(actions, (std::vector<AnsiString>{"expand 1", "expand 2", "collapse 1"}));
  EXPECT_EQ(changes, 3);
  // An item without children may be expanded: a lazily filled outline reads them then.
  tree.Items(5).Expand();
  EXPECT_TRUE(tree.Items(5).Expanded());
}

TEST(OutlineTree, SortedChildrenWhateverOrderTheyCome) {
  struct Row {
    std::vector<AnsiString> arriving;
    std::vector<AnsiString> expected;
  };
  const std::vector<Row> rows = {
      {{"b", "A", "c"}, {"A", "b", "c"}},
      {{"c", "b", "a"}, {"a", "b", "c"}},
      {{"B", "b", "a"}, {"a", "b", "B"}},  // equal ignoring case: the later one goes first
      {{"x", "x"}, {"x"}},                 // the same name twice is one child
      {{}, {}},
  };
  for (const Row& row : rows) {
    TOutlineTree tree;
    const int parent = tree.AddChild(0, "c:");
    const int after = tree.AddChild(0, "d:");
    tree.AddChild(after, "beyond");
    for (const AnsiString& name : row.arriving) tree.AddChildSorted(parent, name, CompareNoCase);
    std::vector<AnsiString> children;
    for (int i = tree.Items(parent).GetFirstChild(); i >= 0;
         i = tree.Items(parent).GetNextChild(i)) {
      children.push_back(tree.Items(i).Text());
    }
    EXPECT_EQ(children, row.expected);
    EXPECT_EQ(tree.Items(tree.ItemCount()).Text(), "beyond") << "later items move down";
  }
}

// ---------------------------------------------------------------------------------------------
// Rows

TEST(OutlineRow, LinesButtonPictureAndTextPlaces) {
  struct Row {
    const char* name;
    TOutlineStyle style;
    TOutlineOptions options;
    TOutlineRowFacts facts;
    std::vector<TOutlineSegment> lines;
    TLayoutRect button, picture;
    int text_left;
  };
  const TOutlineStyle tree = TOutlineStyle::osTreePictureText;
  // clang-format off
  const std::vector<Row> rows = {
      {"top level without a root line: no lines at all", tree, 0,
       {1, false, false, true, {}}, {}, {}, {4, 4, 12, 12}, 18},
      {"top level hanging from the root", tree, ooDrawTreeRoot | ooStretchBitmaps,
       {1, false, false, true, {}},
       {{8, 0, 8, 15}, {8, 8, 16, 8}}, {}, {16, 0, 32, 16}, 34},
      {"last child stops its line in the middle", tree, ooStretchBitmaps,
       {2, false, false, false, {false}},
       {{8, 0, 8, 8}, {8, 8, 16, 8}}, {}, {16, 0, 32, 16}, 34},
      {"an ancestor with siblings to come keeps its line", tree, ooStretchBitmaps,
       {3, false, false, true, {true, true}},
       {{8, 0, 8, 15}, {24, 0, 24, 15}, {24, 8, 32, 8}}, {}, {32, 0, 48, 16}, 50},
      {"an open item leads down to its children from under its picture", tree, 0,
       {1, true, true, false, {}}, {{8, 12, 8, 15}}, {}, {4, 4, 12, 12}, 18},
      {"a picture filling the row leaves no room for that line", tree, ooStretchBitmaps,
       {1, true, true, false, {}}, {}, {}, {0, 0, 16, 16}, 18},
      {"a picture of its own size is centred", tree, 0,
       {2, false, false, false, {false}},
       {{8, 0, 8, 8}, {8, 8, 16, 8}}, {}, {20, 4, 28, 12}, 34},
      {"plus and minus box for an item with children", TOutlineStyle::osPlusMinusText, 0,
       {2, true, false, false, {false}}, {}, {19, 3, 28, 12}, {}, 34},
      {"no box for a leaf, but its column stays", TOutlineStyle::osPlusMinusText, 0,
       {1, false, false, false, {}}, {}, {}, {}, 18},
      {"text only", TOutlineStyle::osText, ooDrawTreeRoot, {3, true, true, true, {true, true}},
       {}, {}, {}, 34},
  };
  // clang-format on
  for (const Row& row : rows) {
    TOutlineLook look;
    look.Style = row.style;
    look.Options = row.options;
    look.ItemHeight = 16;
    look.PictureWidth = 8;
    look.PictureHeight = 8;
    const TOutlineRowLayout layout = CalcOutlineRow(row.facts, look);
    EXPECT_EQ(layout.Lines, row.lines) << row.name;
    EXPECT_EQ(layout.Button, row.button) << row.name;
    EXPECT_EQ(layout.Picture, row.picture) << row.name;
    EXPECT_EQ(layout.TextLeft, row.text_left) << row.name;
  }
}

TEST(OutlineRow, HitTestFindsThePartUnderThePointer) {
  TOutlineLook look;
  look.Style = TOutlineStyle::osPlusMinusPictureText;
  look.Options = ooStretchBitmaps;
  const TOutlineRowLayout layout = CalcOutlineRow({1, true, false, false, {}}, look);
  struct Row {
    int x;
    TOutlineHit hit;
  };
  const std::vector<Row> rows = {
      {0, TOutlineHit::Nothing},  {3, TOutlineHit::Button},   {11, TOutlineHit::Button},
      {12, TOutlineHit::Nothing}, {17, TOutlineHit::Picture}, {32, TOutlineHit::Text},
      {75, TOutlineHit::Text},    {76, TOutlineHit::Nothing},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OutlineHitTest(layout, 40, row.x), row.hit) << "x = " << row.x;
  }
}

}  // namespace
