// The form editor beside the main window: form blocks open it (main_mouse_window.cpp), and
// the "Form editor" item shows the last form as it was left.

#include "ui/form_editor_window.h"
#include "ui/main_window.h"

namespace qm {

void TForm1::SetFormEditor(TForm3* editor) {
    formEditor_ = editor;
    connect(N6, &QAction::triggered, editor, &TForm3::ShowFromMenu, Qt::UniqueConnection);
}

} // namespace qm
