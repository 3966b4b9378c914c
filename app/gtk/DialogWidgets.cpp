#include "app/gtk/DialogWidgets.h"

#include <cstdint>
#include <vector>

#include "app/SettingsDialogModel.h"
#include "engine/core/Log.h"

namespace ynx {

std::string DialogWidgets::Caption(const String& text) {
  gchar* valid = g_utf8_make_valid(text.CStr(), text.Length());
  std::string caption(valid);
  g_free(valid);
  return caption;
}

GtkWidget* DialogWidgets::Label(const String& text) {
  GtkWidget* label = gtk_label_new(Caption(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  return label;
}

GtkWidget* DialogWidgets::Group(const String& caption, GtkWidget*& content) {
  GtkWidget* frame = gtk_frame_new(Caption(caption).c_str());
  content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  g_object_set(content, "margin", 8, nullptr);
  gtk_container_add(GTK_CONTAINER(frame), content);
  return frame;
}

GtkWidget* DialogWidgets::Picture(const char* name) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  gtk_widget_set_halign(frame, GTK_ALIGN_CENTER);
  std::vector<uint8_t> bytes;
  if (!SettingsDialogModel::ReadPicture(name, bytes)) return frame;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  GError* error = nullptr;
  const bool decoded = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), &error) &&
                       gdk_pixbuf_loader_close(loader, &error);
  GdkPixbuf* pixbuf = decoded ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  if (pixbuf != nullptr) {
    gtk_container_add(GTK_CONTAINER(frame), gtk_image_new_from_pixbuf(pixbuf));
  } else {
    LogWarning("Невозможно декодировать картинку диалога [%s]: %s", name,
               error != nullptr ? error->message : "");
    g_clear_error(&error);
    // A loader must be closed before it goes, also after a failed write.
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  g_object_unref(loader);
  return frame;
}

}  // namespace ynx
