#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>

#include "app/SettingsDialogModel.h"

namespace ynx {

// The configuration dialog on GTK 3: one widget per control of the model,
// every user action forwarded to the model and the model's state put back
// into the widgets.
class SettingsDialogView {
 public:
  // `ownerWindow`: an X11 window the dialog stays above, or 0.
  SettingsDialogView(SettingsDialogModel& model, uint64_t ownerWindow);
  ~SettingsDialogView();
  SettingsDialogView(const SettingsDialogView&) = delete;
  SettingsDialogView& operator=(const SettingsDialogView&) = delete;

  // Modal until OK, Cancel or closing: the model's result (closing counts
  // as Cancel).
  int32_t Run();

  GtkWidget* Dialog() const { return dialog; }
  // The widget of a control id, or null.
  GtkWidget* Widget(int32_t id) const;

 private:
  GtkWidget* Caption(int32_t id);
  GtkWidget* Check(int32_t id, bool radio = false);
  GtkWidget* Trackbar(int32_t id);
  GtkWidget* Button(int32_t id);
  GtkWidget* ModeList();
  // The frame the application paints the settings picture into.
  GtkWidget* Picture();
  GtkWidget* Keep(int32_t id, GtkWidget* widget);
  void Build();
  // Puts the model's state into the widgets; the mode list only when the
  // model rebuilt it.
  void Sync(bool withModes);
  void Place();
  void Clicked(int32_t id);
  // What the user did to that control, for the application.
  void Report(int32_t id);

  static void OnToggled(GtkToggleButton* button, SettingsDialogView* view);
  static void OnMoved(GtkRange* range, SettingsDialogView* view);
  static void OnModeChanged(GtkComboBox* list, SettingsDialogView* view);
  static void OnClicked(GtkButton* button, SettingsDialogView* view);
  static gboolean OnDrawPicture(GtkWidget* area, cairo_t* context, SettingsDialogView* view);
  static gboolean OnTerminate(gpointer unused);

  SettingsDialogModel& model;
  uint64_t ownerWindow;
  GtkWidget* dialog;
  GdkWindow* owner = nullptr;
  std::map<int32_t, GtkWidget*> widgets;
  // Set while the view writes into its widgets, whose signals then are not
  // the user's.
  bool syncing = false;
};

}  // namespace ynx
