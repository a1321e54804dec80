// Outline_core: the items of an outline (a tree shown one item per row) without its window, and
// where one row draws its lines, button, picture and text.
//
// Items are numbered in display order, that is depth first, children after their parent, the
// collapsed ones included: item 0 is the invisible root, item 1 the first top-level item. An
// insertion renumbers every item after it; a node keeps its identity, so a pointer to it stays
// good until the node is removed. Looking up a number that is no item raises EOutlineError
// "Gliederungsindex nicht gefunden"; selecting 0 or below raises "Ungültige Auswahl".
//
// Row coordinates: pixels from the row's top left, before horizontal scrolling.
//
// Ownership: the tree owns its nodes; a node owns its children. Data pointers are not owned.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/core/Layout.h"
#include "framework/core/Sysutils.h"
#include "framework/core/Typinfo.h"

class EOutlineError : public Exception {
  using Exception::Exception;
};

class TOutlineTree;

class TOutlineNode {
 public:
  TOutlineNode(const TOutlineNode&) = delete;
  TOutlineNode& operator=(const TOutlineNode&) = delete;

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& text);
  void* Data() const { return data_; }
  void SetData(void* data) { data_ = data; }
  int Index() const { return index_; }
  // The root is level 0, a top-level item level 1.
  int Level() const;
  // The parent's index; -1 for the root.
  int Parent() const;
  TOutlineNode* ParentNode() const { return parent_; }

  bool HasItems() const { return !children_.empty(); }
  int ChildCount() const { return static_cast<int>(children_.size()); }
  TOutlineNode& ChildNode(int position) const { return *children_[position]; }
  // Indices of children; -1 where there is none.
  int GetFirstChild() const;
  int GetLastChild() const;
  // The child after (before) the child of this index; -1 after the last (before the first)
  // and for an index that is no child of this node.
  int GetNextChild(int child) const;
  int GetPrevChild(int child) const;
  bool HasNextSibling() const;

  bool Expanded() const { return expanded_; }
  // Raises the tree's expand or collapse action when the state changes.
  void SetExpanded(bool expanded);
  void Expand() { SetExpanded(true); }
  void Collapse() { SetExpanded(false); }
  // Shown in the outline: every ancestor is expanded.
  bool IsVisible() const;
  // The texts from the top-level item down to this one, joined by the tree's separator.
  AnsiString FullPath() const;

 private:
  friend class TOutlineTree;
  TOutlineNode(TOutlineTree& tree, TOutlineNode* parent, AnsiString text)
      : tree_(tree), parent_(parent), text_(std::move(text)) {}
  int PositionInParent() const;
  TOutlineNode& LastDescendant();

  TOutlineTree& tree_;
  TOutlineNode* parent_;  // not owned; null for the root
  std::vector<std::unique_ptr<TOutlineNode>> children_;
  AnsiString text_;
  void* data_ = nullptr;  // not owned
  bool expanded_ = false;
  int index_ = 0;
};

class TOutlineTree {
 public:
  TOutlineTree();
  TOutlineTree(const TOutlineTree&) = delete;
  TOutlineTree& operator=(const TOutlineTree&) = delete;

  // Items without the root.
  int ItemCount() const { return static_cast<int>(order_.size()) - 1; }
  TOutlineNode& Items(int index) const;
  TOutlineNode& Root() const { return *root_; }
  const AnsiString& ItemSeparator() const { return separator_; }
  void SetItemSeparator(const AnsiString& separator) { separator_ = separator; }

  // Removes every item but the root; nothing is selected after.
  void Clear();
  // Each answers the new item's index: a child after the last child of `index`; a sibling
  // after the last child of the parent of `index`; an item just before `index`, under the same
  // parent. For index 0 (the root) each adds a top-level item at the end.
  int AddChild(int index, const AnsiString& text);
  int Add(int index, const AnsiString& text);
  int Insert(int index, const AnsiString& text);
  // Inserts `text` among the children of `index` before the first child that does not compare
  // below it (compare < 0), found by halving, so children kept in that order stay so. A child
  // of exactly that text there already is answered instead of a second one.
  using TCompare = std::function<int(const AnsiString& child, const AnsiString& text)>;
  int AddChildSorted(int index, const AnsiString& text, const TCompare& compare);
  // Makes `texts` the children of `index`, in their order, renumbering once: a child whose
  // text is among them stays, with its data, its open state and everything below it; the
  // others go with what is below them, and the new texts become new items. A selection that
  // goes moves up to `index`. The texts are expected to be distinct.
  void SetChildTexts(int index, const std::vector<AnsiString>& texts);

  // 0 when nothing is selected. Setting 0 or below raises "Ungültige Auswahl"; an index that
  // is no item raises "Gliederungsindex nicht gefunden".
  int SelectedItem() const { return selected_ ? selected_->index_ : 0; }
  void SetSelectedItem(int index);

  // The items shown, in row order: those whose ancestors are all expanded. Kept until the
  // tree changes.
  const std::vector<TOutlineNode*>& VisibleItems() const;
  // The row of an item, or -1 when it is not shown.
  int RowOf(const TOutlineNode& node) const;

  // The expand and collapse actions, raised with the item's index after its state changed;
  // Changed after any change of what the rows show.
  std::function<void(int index)> OnExpand;
  std::function<void(int index)> OnCollapse;
  std::function<void()> OnChanged;

 private:
  friend class TOutlineNode;
  int InsertNode(TOutlineNode& parent, int position, const AnsiString& text);
  // Appends the nodes below `node` in display order, going below a node where `descend(node)`
  // says so.
  template <class Descend>
  static void AppendDescendants(const TOutlineNode& node, std::vector<TOutlineNode*>& order,
                                Descend descend);
  void Renumber(size_t from);
  void Changed();

  std::unique_ptr<TOutlineNode> root_;
  std::vector<TOutlineNode*> order_;  // every node in display order, the root first
  AnsiString separator_ = "\\";
  TOutlineNode* selected_ = nullptr;  // not owned
  mutable std::vector<TOutlineNode*> visible_;
  mutable bool visible_valid_ = false;
};

// ---------------------------------------------------------------------------------------------
// Looks

enum TOutlineOptionFlag : uint32_t {
  ooDrawTreeRoot = 1,    // top-level items hang from lines, too
  ooDrawFocusRect = 2,   // the focused control frames its selected item
  ooStretchBitmaps = 4,  // pictures fill the row's height; else they keep their size
};
using TOutlineOptions = uint32_t;
const TEnumInfo& OutlineOptionNames();

enum class TOutlineStyle {
  osText,
  osPlusMinusText,
  osPictureText,
  osPlusMinusPictureText,
  osTreeText,
  osTreePictureText,
};
const TEnumInfo& EnumInfoOf(TOutlineStyle);

// What one row shows and where, so that painting and the mouse agree.
struct TOutlineRowFacts {
  int Level = 1;
  bool HasChildren = false;
  bool Expanded = false;
  bool HasNextSibling = false;
  // For levels 1 .. Level-1: whether the ancestor at that level has a sibling after it.
  std::vector<bool> AncestorHasNextSibling;
};

struct TOutlineLook {
  TOutlineStyle Style = TOutlineStyle::osTreePictureText;
  TOutlineOptions Options = ooDrawTreeRoot | ooDrawFocusRect;
  int ItemHeight = 16;  // also the width of a level's column
  int PictureWidth = 0, PictureHeight = 0;
  int ButtonSize = 9;  // the plus or minus box's side
};

struct TOutlineSegment {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  bool operator==(const TOutlineSegment&) const = default;
};

struct TOutlineRowLayout {
  std::vector<TOutlineSegment> Lines;  // tree lines, end points included
  TLayoutRect Button;                  // the plus or minus box; empty when none
  TLayoutRect Picture;                 // empty when the style shows none
  int TextLeft = 0;
};

TOutlineRowLayout CalcOutlineRow(const TOutlineRowFacts& row, const TOutlineLook& look);

enum class TOutlineHit { Nothing, Button, Picture, Text };
// What a point of the row hits; the text reaches `text_width` pixels from TextLeft.
TOutlineHit OutlineHitTest(const TOutlineRowLayout& layout, int text_width, int x);
