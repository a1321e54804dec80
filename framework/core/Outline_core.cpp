#include "framework/core/Outline_core.h"

#include <algorithm>
#include <unordered_map>

namespace {

const char kIndexNotFound[] = "Gliederungsindex nicht gefunden";
const char kInvalidSelection[] = "Ungültige Auswahl";

}  // namespace

// ---------------------------------------------------------------------------------------------
// TOutlineNode

void TOutlineNode::SetText(const AnsiString& text) {
  if (text == text_) return;
  text_ = text;
  tree_.Changed();
}

int TOutlineNode::Level() const {
  int level = 0;
  for (const TOutlineNode* node = parent_; node; node = node->parent_) ++level;
  return level;
}

int TOutlineNode::Parent() const {
  return parent_ ? parent_->index_ : -1;
}

int TOutlineNode::GetFirstChild() const {
  return children_.empty() ? -1 : children_.front()->index_;
}

int TOutlineNode::GetLastChild() const {
  return children_.empty() ? -1 : children_.back()->index_;
}

int TOutlineNode::PositionInParent() const {
  // Children are in display order, so their indices rise.
  const auto& siblings = parent_->children_;
  const auto found =
      std::lower_bound(siblings.begin(), siblings.end(), index_,
                       [](const std::unique_ptr<TOutlineNode>& n, int i) { return n->index_ < i; });
  return static_cast<int>(found - siblings.begin());
}

int TOutlineNode::GetNextChild(int child) const {
  if (child < 1 || child > tree_.ItemCount()) return -1;
  const TOutlineNode& node = *tree_.order_[static_cast<size_t>(child)];
  if (node.parent_ != this) return -1;
  const size_t next = static_cast<size_t>(node.PositionInParent()) + 1;
  return next < children_.size() ? children_[next]->index_ : -1;
}

int TOutlineNode::GetPrevChild(int child) const {
  if (child < 1 || child > tree_.ItemCount()) return -1;
  const TOutlineNode& node = *tree_.order_[static_cast<size_t>(child)];
  if (node.parent_ != this) return -1;
  const int position = node.PositionInParent();
  return position > 0 ? children_[static_cast<size_t>(position - 1)]->index_ : -1;
}

bool TOutlineNode::HasNextSibling() const {
  return parent_ && parent_->children_.back().get() != this;
}

TOutlineNode& TOutlineNode::LastDescendant() {
  TOutlineNode* node = this;
  while (!node->children_.empty()) node = node->children_.back().get();
  return *node;
}

void TOutlineNode::SetExpanded(bool expanded) {
  if (!parent_ || expanded == expanded_) return;  // the root is always open
  expanded_ = expanded;
  if (!expanded) {
    // A selection inside the closed branch would vanish from sight: it moves up to here.
    for (const TOutlineNode* node = tree_.selected_; node; node = node->parent_) {
      if (node->parent_ == this) {
        tree_.selected_ = this;
        break;
      }
    }
  }
  tree_.Changed();
  const auto& action = expanded ? tree_.OnExpand : tree_.OnCollapse;
  if (action) action(index_);
}

bool TOutlineNode::IsVisible() const {
  if (!parent_) return false;
  for (const TOutlineNode* node = parent_; node->parent_; node = node->parent_) {
    if (!node->expanded_) return false;
  }
  return true;
}

AnsiString TOutlineNode::FullPath() const {
  std::vector<const AnsiString*> texts;
  for (const TOutlineNode* node = this; node->parent_; node = node->parent_) {
    texts.push_back(&node->text_);
  }
  AnsiString path;
  for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
    if (it != texts.rbegin()) path += tree_.separator_;
    path += **it;
  }
  return path;
}

// ---------------------------------------------------------------------------------------------
// TOutlineTree

TOutlineTree::TOutlineTree() : root_(new TOutlineNode(*this, nullptr, AnsiString())) {
  root_->expanded_ = true;
  order_.push_back(root_.get());
}

TOutlineNode& TOutlineTree::Items(int index) const {
  if (index < 0 || index >= static_cast<int>(order_.size())) throw EOutlineError(kIndexNotFound);
  return *order_[static_cast<size_t>(index)];
}

void TOutlineTree::Clear() {
  selected_ = nullptr;
  root_->children_.clear();
  order_.assign(1, root_.get());
  Changed();
}

int TOutlineTree::InsertNode(TOutlineNode& parent, int position, const AnsiString& text) {
  const size_t at =
      position == 0
          ? static_cast<size_t>(parent.index_) + 1
          : static_cast<size_t>(
                parent.children_[static_cast<size_t>(position - 1)]->LastDescendant().index_) +
                1;
  auto node = std::unique_ptr<TOutlineNode>(new TOutlineNode(*this, &parent, text));
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(at), node.get());
  parent.children_.insert(parent.children_.begin() + position, std::move(node));
  Renumber(at);
  Changed();
  return static_cast<int>(at);
}

void TOutlineTree::Renumber(size_t from) {
  for (size_t i = from; i < order_.size(); ++i) order_[i]->index_ = static_cast<int>(i);
}

int TOutlineTree::AddChild(int index, const AnsiString& text) {
  TOutlineNode& parent = Items(index);
  return InsertNode(parent, parent.ChildCount(), text);
}

int TOutlineTree::Add(int index, const AnsiString& text) {
  TOutlineNode& item = Items(index);
  TOutlineNode& parent = item.parent_ ? *item.parent_ : item;
  return InsertNode(parent, parent.ChildCount(), text);
}

int TOutlineTree::Insert(int index, const AnsiString& text) {
  TOutlineNode& item = Items(index);
  if (!item.parent_) return InsertNode(item, item.ChildCount(), text);
  return InsertNode(*item.parent_, item.PositionInParent(), text);
}

int TOutlineTree::AddChildSorted(int index, const AnsiString& text, const TCompare& compare) {
  TOutlineNode& parent = Items(index);
  const auto& children = parent.children_;
  const auto found = std::partition_point(
      children.begin(), children.end(),
      [&](const std::unique_ptr<TOutlineNode>& child) { return compare(child->text_, text) < 0; });
  if (found != children.end() && (*found)->text_ == text) return (*found)->index_;
  return InsertNode(parent, static_cast<int>(found - children.begin()), text);
}

template <class Descend>
void TOutlineTree::AppendDescendants(const TOutlineNode& node, std::vector<TOutlineNode*>& order,
                                     Descend descend) {
  // Without recursion: a deep tree must not exhaust the stack.
  std::vector<std::pair<const TOutlineNode*, size_t>> stack{{&node, 0}};
  while (!stack.empty()) {
    auto& [current, next] = stack.back();
    if (next == current->children_.size()) {
      stack.pop_back();
      continue;
    }
    TOutlineNode* child = current->children_[next++].get();
    order.push_back(child);
    if (child->HasItems() && descend(*child)) stack.push_back({child, 0});
  }
}

void TOutlineTree::SetChildTexts(int index, const std::vector<AnsiString>& texts) {
  TOutlineNode& parent = Items(index);
  const size_t begin = static_cast<size_t>(parent.index_) + 1;
  const size_t end = static_cast<size_t>(parent.LastDescendant().index_) + 1;
  // The child that holds the selection, if any: the selection goes with it.
  const TOutlineNode* selected_child = nullptr;
  for (const TOutlineNode* node = selected_; node; node = node->parent_) {
    if (node->parent_ == &parent) selected_child = node;
  }
  std::unordered_map<AnsiString, std::unique_ptr<TOutlineNode>> old;
  old.reserve(parent.children_.size());
  for (auto& child : parent.children_) old.emplace(child->text_, std::move(child));
  std::vector<std::unique_ptr<TOutlineNode>> children;
  children.reserve(texts.size());
  for (const AnsiString& text : texts) {
    const auto kept = old.find(text);
    if (kept != old.end()) {
      children.push_back(std::move(kept->second));
      old.erase(kept);
    } else {
      children.push_back(std::unique_ptr<TOutlineNode>(new TOutlineNode(*this, &parent, text)));
    }
  }
  parent.children_ = std::move(children);
  if (selected_child && old.count(selected_child->text_)) {
    selected_ = parent.parent_ ? &parent : nullptr;
  }
  std::vector<TOutlineNode*> span;
  AppendDescendants(parent, span, [](const TOutlineNode&) { return true; });
  order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(begin),
               order_.begin() + static_cast<std::ptrdiff_t>(end));
  order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(begin), span.begin(), span.end());
  Renumber(begin);
  old.clear();  // the children that went, now that nothing points at them
  Changed();
}

void TOutlineTree::SetSelectedItem(int index) {
  if (index <= 0) throw EOutlineError(kInvalidSelection);
  selected_ = &Items(index);
}

void TOutlineTree::Changed() {
  visible_valid_ = false;
  if (OnChanged) OnChanged();
}

const std::vector<TOutlineNode*>& TOutlineTree::VisibleItems() const {
  if (visible_valid_) return visible_;
  visible_.clear();
  AppendDescendants(*root_, visible_, [](const TOutlineNode& node) { return node.expanded_; });
  visible_valid_ = true;
  return visible_;
}

int TOutlineTree::RowOf(const TOutlineNode& node) const {
  const auto& rows = VisibleItems();
  const auto found =
      std::lower_bound(rows.begin(), rows.end(), node.index_,
                       [](const TOutlineNode* row, int index) { return row->index_ < index; });
  if (found == rows.end() || *found != &node) return -1;
  return static_cast<int>(found - rows.begin());
}

// ---------------------------------------------------------------------------------------------
// Looks

const TEnumInfo& OutlineOptionNames() {
  static const TEnumInfo info{{"ooDrawTreeRoot", "ooDrawFocusRect", "ooStretchBitmaps"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TOutlineStyle) {
  static const TEnumInfo info{{"osText", "osPlusMinusText", "osPictureText",
                               "osPlusMinusPictureText", "osTreeText", "osTreePictureText"}};
  return info;
}

namespace {

constexpr int kTextGap = 2;

bool ShowsTree(TOutlineStyle style) {
  return style == TOutlineStyle::osTreeText || style == TOutlineStyle::osTreePictureText;
}

bool ShowsButtons(TOutlineStyle style) {
  return style == TOutlineStyle::osPlusMinusText || style == TOutlineStyle::osPlusMinusPictureText;
}

bool ShowsPictures(TOutlineStyle style) {
  return style == TOutlineStyle::osPictureText || style == TOutlineStyle::osPlusMinusPictureText ||
         style == TOutlineStyle::osTreePictureText;
}

}  // namespace

TOutlineRowLayout CalcOutlineRow(const TOutlineRowFacts& row, const TOutlineLook& look) {
  TOutlineRowLayout layout;
  const int height = std::max(look.ItemHeight, 1);
  const int column = height;  // a level's column is as wide as a row is high
  const bool tree = ShowsTree(look.Style);
  const int root_column = tree && (look.Options & ooDrawTreeRoot) ? 1 : 0;
  const int middle = height / 2;
  int x = (row.Level - 1 + root_column) * column;

  if (tree) {
    const auto centre = [column](int col) { return col * column + column / 2; };
    // Lines of the ancestors that have siblings still to come, all the way down the row.
    for (int level = 1; level < row.Level; ++level) {
      const int col = level - 2 + root_column;
      if (col >= 0 && level - 1 < static_cast<int>(row.AncestorHasNextSibling.size()) &&
          row.AncestorHasNextSibling[static_cast<size_t>(level - 1)]) {
        layout.Lines.push_back({centre(col), 0, centre(col), height - 1});
      }
    }
    const int own = row.Level - 2 + root_column;
    if (own >= 0) {
      layout.Lines.push_back(
          {centre(own), 0, centre(own), row.HasNextSibling ? height - 1 : middle});
      layout.Lines.push_back({centre(own), middle, x, middle});
    }
  }
  if (ShowsButtons(look.Style)) {
    if (row.HasChildren) {
      const int size = look.ButtonSize;
      const int left = x + (column - size) / 2;
      const int top = (height - size) / 2;
      layout.Button = {left, top, left + size, top + size};
    }
    x += column;
  }
  if (ShowsPictures(look.Style)) {
    if (look.Options & ooStretchBitmaps) {
      layout.Picture = {x, 0, x + column, height};
    } else if (look.PictureWidth > 0 && look.PictureHeight > 0) {
      const int left = x + (column - look.PictureWidth) / 2;
      const int top = (height - look.PictureHeight) / 2;
      layout.Picture = {left, top, left + look.PictureWidth, top + look.PictureHeight};
    }
    // The line down to the children leaves from under the picture.
    const int below =
        layout.Picture.Height() > 0 ? std::max(layout.Picture.Bottom, middle) : middle;
    if (tree && row.Expanded && row.HasChildren && below < height) {
      layout.Lines.push_back({x + column / 2, below, x + column / 2, height - 1});
    }
    x += column;
  }
  layout.TextLeft = x + kTextGap;
  return layout;
}

TOutlineHit OutlineHitTest(const TOutlineRowLayout& layout, int text_width, int x) {
  if (layout.Button.Width() > 0 && x >= layout.Button.Left && x < layout.Button.Right) {
    return TOutlineHit::Button;
  }
  if (layout.Picture.Width() > 0 && x >= layout.Picture.Left && x < layout.Picture.Right) {
    return TOutlineHit::Picture;
  }
  if (x >= layout.TextLeft - kTextGap && x < layout.TextLeft + text_width + kTextGap) {
    return TOutlineHit::Text;
  }
  return TOutlineHit::Nothing;
}
