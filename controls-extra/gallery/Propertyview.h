// The gallery's property view: the published properties of one chosen control, read and set through
// the type information, in a grid of name and value beside the controls.
//
// A row's value is typed into the edit field (Enter sets it, Escape brings the value back) or,
// for an enumeration or a truth value, chosen from a list, which sets it at once. A value that
// does not fit is refused with a message that names the property and what it takes; the control
// keeps its value. "Copy as form text" puts the control's form description, as the framework's
// writer writes it, on the clipboard.
//
// Ownership: the view owns none of the controls it works with; the form owns them all.
#pragma once

#include <functional>
#include <vector>

#include "framework/core/Propedit.h"
#include "framework/win/Grids.h"
#include "framework/win/StdCtrls.h"

class TPropertyView {
 public:
  struct TParts {
    TComboBox* Controls;  // the controls that can be chosen, by name and class
    TDrawGrid* Grid;      // a fixed header row, then one row per property
    TEdit* Edit;          // the value of the current row as text
    TComboBox* Choice;    // in the edit field's place for enumerations and truth values
    TLabel* Message;      // what the last action did, or why it did nothing
  };

  // `root` owns the controls that can be chosen.
  TPropertyView(TComponent& root, TParts parts) : root_(root), parts_(parts) {}

  // Lists the controls that `keep` takes, in the order the form made them, and shows the first.
  void FillControlList(const std::function<bool(TComponent*)>& keep);

  TComponent* Shown() const { return shown_; }
  // Shows the properties of `component` (null: none) and takes the first row.
  void ShowComponent(TComponent* component);
  // The user chose another entry of the control list.
  void ControlChosen();
  // Makes `row` (a grid row, 1 for the first property) the one the editor works on.
  void SelectRow(int row);
  // Sets the current row's property from typed text; the message says what became of it.
  void ApplyText(const AnsiString& text);
  // Puts the current row's value back into the editor.
  void RevertEditor();
  // Draws one cell of the grid; the grid has filled it and set its text colour.
  void DrawCell(int col, int row, const RECT& rect);
  // The values may have changed by themselves (a timer moved them).
  void Refresh();
  // Puts the shown component's form description, as the framework's writer writes it, on the
  // clipboard, lines ended by CR LF.
  void CopyAsFormText();

 private:
  void ShowMessage(const AnsiString& text, bool refused);
  const TPropertyRow* CurrentRow() const;

  TComponent& root_;
  TParts parts_;
  std::vector<TComponent*> candidates_;  // not owned
  TComponent* shown_ = nullptr;          // not owned
  std::vector<TPropertyRow> rows_;
  int current_ = -1;  // index into rows_
};
