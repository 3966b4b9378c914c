#include "app/gtk/AboutBoxView.h"

#include "app/gtk/DialogWidgets.h"

namespace ynx {

AboutBoxView::AboutBoxView(const SettingsDialogModel::About& texts, GtkWindow* owner)
    : dialog(gtk_dialog_new()) {
  GtkWindow* window = GTK_WINDOW(dialog);
  gtk_window_set_title(window, DialogWidgets::Caption(texts.title).c_str());
  gtk_window_set_transient_for(window, owner);
  gtk_window_set_modal(window, TRUE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER_ON_PARENT);
  gtk_window_set_resizable(window, FALSE);

  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 16);
  g_object_set(row, "margin", 12, nullptr);
  GtkWidget* logo = DialogWidgets::Picture(SettingsDialogModel::LOGO_PICTURE);
  gtk_widget_set_valign(logo, GTK_ALIGN_START);
  gtk_box_pack_start(GTK_BOX(row), logo, FALSE, FALSE, 0);
  GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  for (const String& line : texts.lines) {
    gtk_box_pack_start(GTK_BOX(lines), DialogWidgets::Label(line), FALSE, FALSE, 0);
  }
  gtk_box_pack_start(GTK_BOX(row), lines, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row, TRUE, TRUE, 0);

  gtk_dialog_add_button(GTK_DIALOG(dialog), DialogWidgets::Caption(texts.ok).c_str(),
                        SettingsDialogModel::ID_OK);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), SettingsDialogModel::ID_OK);
}

AboutBoxView::~AboutBoxView() { gtk_widget_destroy(dialog); }

int32_t AboutBoxView::Run() {
  gtk_widget_show_all(dialog);
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_hide(dialog);
  return 1;
}

}  // namespace ynx
