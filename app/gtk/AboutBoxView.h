#pragma once

#include <gtk/gtk.h>

#include <cstdint>

#include "app/SettingsDialogModel.h"

namespace ynx {

// The about box: the logo beside eight lines of credits, and OK.
class AboutBoxView {
 public:
  AboutBoxView(const SettingsDialogModel::About& texts, GtkWindow* owner);
  ~AboutBoxView();
  AboutBoxView(const AboutBoxView&) = delete;
  AboutBoxView& operator=(const AboutBoxView&) = delete;

  // Modal until OK or closing; 1.
  int32_t Run();
  GtkWidget* Dialog() const { return dialog; }

 private:
  GtkWidget* dialog;
};

}  // namespace ynx
