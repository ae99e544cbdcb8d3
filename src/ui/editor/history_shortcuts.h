#pragma once

class QUndoStack;
class QWidget;

namespace morvane {

// Undo and redo in the editor: Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z. They have keys only, no menu
// entry or button, and work wherever the focus is in editor. The actions follow history: with
// nothing to undo or redo, the key does nothing.
void AddHistoryShortcuts(QUndoStack& history, QWidget& editor);

}  // namespace morvane
