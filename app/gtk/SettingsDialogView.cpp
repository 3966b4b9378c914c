#include "app/gtk/SettingsDialogView.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <signal.h>

#include <cmath>

#include "app/gtk/AboutBoxView.h"
#include "app/gtk/DialogWidgets.h"
#include "engine/core/Log.h"

namespace ynx {
namespace {

using Model = SettingsDialogModel;

constexpr char CONTROL_ID[] = "control-id";
// The settings picture's frame, the picture's own size.
constexpr int PICTURE_WIDTH = 512;
constexpr int PICTURE_HEIGHT = 128;

int32_t ControlId(gpointer widget) {
  return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), CONTROL_ID));
}

// Two widgets side by side; the one that stretches takes the spare width.
GtkWidget* Row(GtkWidget* left, GtkWidget* right, bool leftStretches) {
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  gtk_box_pack_start(GTK_BOX(row), left, leftStretches, leftStretches, 0);
  gtk_box_pack_start(GTK_BOX(row), right, !leftStretches, !leftStretches, 0);
  return row;
}

void Add(GtkWidget* box, GtkWidget* child) { gtk_box_pack_start(GTK_BOX(box), child, FALSE, FALSE, 0); }

}  // namespace

SettingsDialogView::SettingsDialogView(SettingsDialogModel& model, uint64_t ownerWindow)
    : model(model), ownerWindow(ownerWindow), dialog(gtk_dialog_new()) {
  Build();
  Sync(true);
  model.Notify(SettingsDialogMessage{SettingsDialogMessage::Type::INIT});
}

SettingsDialogView::~SettingsDialogView() {
  gtk_widget_destroy(dialog);
  if (owner != nullptr) g_object_unref(owner);
}

GtkWidget* SettingsDialogView::Widget(int32_t id) const {
  const auto found = widgets.find(id);
  return found != widgets.end() ? found->second : nullptr;
}

GtkWidget* SettingsDialogView::Keep(int32_t id, GtkWidget* widget) {
  g_object_set_data(G_OBJECT(widget), CONTROL_ID, GINT_TO_POINTER(id));
  widgets[id] = widget;
  return widget;
}

GtkWidget* SettingsDialogView::Caption(int32_t id) {
  return Keep(id, DialogWidgets::Label(model.Find(id)->caption));
}

GtkWidget* SettingsDialogView::Check(int32_t id, bool radio) {
  const std::string caption = DialogWidgets::Caption(model.Find(id)->caption);
  GtkWidget* button;
  if (radio) {
    GtkWidget* group = Widget(Model::ID_HOUR_24);
    button = group != nullptr ? gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group),
                                                                           caption.c_str())
                              : gtk_radio_button_new_with_label(nullptr, caption.c_str());
  } else {
    button = gtk_check_button_new_with_label(caption.c_str());
  }
  g_signal_connect(button, "toggled", G_CALLBACK(OnToggled), this);
  return Keep(id, button);
}

GtkWidget* SettingsDialogView::Trackbar(int32_t id) {
  const Model::Control& control = *model.Find(id);
  GtkWidget* scale =
      gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, control.minimum, control.maximum, 1);
  gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
  // Whole steps, as the settings are whole numbers.
  gtk_scale_set_digits(GTK_SCALE(scale), 0);
  gtk_widget_set_size_request(scale, 160, -1);
  g_signal_connect(scale, "value-changed", G_CALLBACK(OnMoved), this);
  return Keep(id, scale);
}

GtkWidget* SettingsDialogView::Button(int32_t id) {
  GtkWidget* button = gtk_button_new_with_label(DialogWidgets::Caption(model.Find(id)->caption).c_str());
  g_signal_connect(button, "clicked", G_CALLBACK(OnClicked), this);
  return Keep(id, button);
}

GtkWidget* SettingsDialogView::Picture() {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  gtk_widget_set_halign(frame, GTK_ALIGN_CENTER);
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, PICTURE_WIDTH, PICTURE_HEIGHT);
  g_signal_connect(area, "draw", G_CALLBACK(OnDrawPicture), this);
  gtk_container_add(GTK_CONTAINER(frame), Keep(Model::ID_PICTURE, area));
  return frame;
}

GtkWidget* SettingsDialogView::ModeList() {
  GtkWidget* list = gtk_combo_box_text_new();
  g_signal_connect(list, "changed", G_CALLBACK(OnModeChanged), this);
  return Keep(Model::ID_MODE_LIST, list);
}

void SettingsDialogView::Build() {
  GtkWindow* window = GTK_WINDOW(dialog);
  gtk_window_set_title(window, DialogWidgets::Caption(model.Title()).c_str());
  gtk_window_set_resizable(window, FALSE);
  GtkWidget* body = gtk_box_new(GTK_ORIENTATION_VERTICAL, 12);
  g_object_set(body, "margin", 12, nullptr);

  Add(body, Picture());

  GtkWidget* content = nullptr;
  GtkWidget* mode = DialogWidgets::Group(model.Find(Model::ID_MODE_BOX)->caption, content);
  Add(content, ModeList());
  Add(content, Check(Model::ID_USE_DESKTOP));

  GtkWidget* sound = DialogWidgets::Group(model.Find(Model::ID_SOUND_BOX)->caption, content);
  Add(content, Row(Caption(Model::ID_VOLUME_CAPTION), Trackbar(Model::ID_VOLUME), false));
  Add(content, Check(Model::ID_MUSIC));
  Add(content, Check(Model::ID_SFX));

  GtkWidget* graphics = DialogWidgets::Group(model.Find(Model::ID_GRAPHICS_BOX)->caption, content);
  Add(content, Caption(Model::ID_GAMMA_CAPTION));
  // The percentage sits after the scale, wide enough for "200%".
  GtkWidget* percent = Caption(Model::ID_GAMMA_VALUE);
  gtk_label_set_width_chars(GTK_LABEL(percent), 5);
  gtk_label_set_xalign(GTK_LABEL(percent), 1.0f);
  Add(content, Row(Trackbar(Model::ID_GAMMA), percent, true));

  GtkWidget* misc = DialogWidgets::Group(model.Find(Model::ID_MISC_BOX)->caption, content);
  Add(content, Check(Model::ID_SHOW_FPS));
  Add(content, Check(Model::ID_EXIT_ON_MOUSE));
  Add(content, Check(Model::ID_SHOW_TIME));
  for (const int32_t id : {Model::ID_HOUR_24, Model::ID_HOUR_12}) {
    GtkWidget* radio = Check(id, true);
    gtk_widget_set_margin_start(radio, 24);
    Add(content, radio);
  }

  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 12);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
  gtk_grid_set_column_homogeneous(GTK_GRID(grid), TRUE);
  gtk_grid_attach(GTK_GRID(grid), mode, 0, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), graphics, 1, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), sound, 0, 1, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), misc, 1, 1, 1, 1);
  Add(body, grid);

  GtkWidget* products = DialogWidgets::Group(model.Find(Model::ID_PRODUCTS_BOX)->caption, content);
  GtkWidget* pitch = Caption(Model::ID_PRODUCTS);
  gtk_label_set_line_wrap(GTK_LABEL(pitch), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(pitch), 40);
  GtkWidget* visit = Button(Model::ID_VISIT);
  gtk_widget_set_valign(visit, GTK_ALIGN_CENTER);
  Add(content, Row(pitch, visit, true));
  Add(body, products);

  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  Add(buttons, Button(Model::ID_ABOUT));
  Add(buttons, Button(Model::ID_RESTORE_DEFAULTS));
  gtk_box_pack_end(GTK_BOX(buttons), Button(Model::ID_CANCEL), FALSE, FALSE, 0);
  gtk_box_pack_end(GTK_BOX(buttons), Button(Model::ID_OK), FALSE, FALSE, 0);
  // OK sizes itself like Cancel, however short its caption.
  GtkSizeGroup* size = gtk_size_group_new(GTK_SIZE_GROUP_HORIZONTAL);
  gtk_size_group_add_widget(size, Widget(Model::ID_OK));
  gtk_size_group_add_widget(size, Widget(Model::ID_CANCEL));
  g_object_unref(size);
  Add(body, buttons);

  gtk_widget_show_all(body);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), body, TRUE, TRUE, 0);
  gtk_widget_set_can_default(Widget(Model::ID_OK), TRUE);
  gtk_window_set_default(window, Widget(Model::ID_OK));
}

void SettingsDialogView::Sync(bool withModes) {
  syncing = true;
  for (const Model::Control& control : model.Controls()) {
    GtkWidget* widget = Widget(control.id);
    if (widget == nullptr) continue;
    gtk_widget_set_sensitive(widget, control.enabled);
    switch (control.kind) {
      case Model::Kind::CHECK:
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.checked);
        break;
      case Model::Kind::RADIO:
        // The group unchecks the other one.
        if (control.checked) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), TRUE);
        break;
      case Model::Kind::TRACKBAR:
        gtk_range_set_value(GTK_RANGE(widget), control.position);
        break;
      case Model::Kind::LABEL:
        gtk_label_set_text(GTK_LABEL(widget), DialogWidgets::Caption(control.caption).c_str());
        break;
      case Model::Kind::LIST:
        if (withModes) {
          GtkComboBoxText* list = GTK_COMBO_BOX_TEXT(widget);
          gtk_combo_box_text_remove_all(list);
          for (const Model::ModeItem& item : model.ModeItems()) {
            gtk_combo_box_text_append_text(list, item.text.CStr());
          }
          gtk_combo_box_set_active(GTK_COMBO_BOX(list), model.SelectedMode());
        }
        break;
      default:
        break;
    }
  }
  syncing = false;
}

void SettingsDialogView::Place() {
  gtk_widget_realize(dialog);
  if (ownerWindow != 0) {
    // The window a settings panel hands over: stay above it. One that is
    // gone already leaves the dialog on its own.
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (GDK_IS_X11_DISPLAY(display)) {
      owner = gdk_x11_window_foreign_new_for_display(display, static_cast<Window>(ownerWindow));
    }
    if (owner != nullptr) {
      gdk_window_set_transient_for(gtk_widget_get_window(dialog), owner);
    } else {
      LogWarning("Окно-владелец [%llu] диалога настроек не найдено.",
                 static_cast<unsigned long long>(ownerWindow));
    }
  }
  GtkRequisition size;
  gtk_widget_get_preferred_size(dialog, nullptr, &size);
  int32_t x = 0, y = 0;
  if (model.InitialPosition(size.width, size.height, x, y)) {
    gtk_window_move(GTK_WINDOW(dialog), x, y);
  } else {
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  }
}

// A host ending the program (SIGTERM, or SIGINT at a terminal) cancels
// every open dialog, the about box included, innermost first.
gboolean SettingsDialogView::OnTerminate(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    if (GTK_IS_DIALOG(item->data)) gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_CANCEL);
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

int32_t SettingsDialogView::Run() {
  // Listening before the dialog can be seen: a host that sees it may end
  // it at once.
  const guint terminate = g_unix_signal_add(SIGTERM, &OnTerminate, nullptr);
  const guint interrupt = g_unix_signal_add(SIGINT, &OnTerminate, nullptr);
  // Placed before it maps, so that it appears where it belongs.
  Place();
  gtk_widget_show(dialog);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  g_source_remove(terminate);
  g_source_remove(interrupt);
  gtk_widget_hide(dialog);
  return response == Model::ID_OK ? model.Confirm() : model.Cancel();
}

void SettingsDialogView::Clicked(int32_t id) {
  switch (id) {
    case Model::ID_OK:
    case Model::ID_CANCEL:
      gtk_dialog_response(GTK_DIALOG(dialog), id);
      break;
    case Model::ID_RESTORE_DEFAULTS:
      model.RestoreDefaults();
      Sync(true);
      break;
    case Model::ID_ABOUT:
      AboutBoxView(model.AboutTexts(), GTK_WINDOW(dialog)).Run();
      break;
    case Model::ID_VISIT: {
      GError* error = nullptr;
      const String& url = model.WebSiteUrl();
      if (url.IsEmpty() ||
          !gtk_show_uri_on_window(GTK_WINDOW(dialog), url.CStr(), GDK_CURRENT_TIME, &error)) {
        LogWarning("Невозможно открыть адрес [%s]: %s", url.CStr(),
                   error != nullptr ? error->message : "адрес не задан");
        g_clear_error(&error);
      }
      break;
    }
    default:
      break;
  }
}

void SettingsDialogView::Report(int32_t id) {
  model.Notify(SettingsDialogMessage{SettingsDialogMessage::Type::COMMAND, id});
}

void SettingsDialogView::OnToggled(GtkToggleButton* button, SettingsDialogView* view) {
  if (view->syncing) return;
  view->model.SetChecked(ControlId(button), gtk_toggle_button_get_active(button));
  view->Sync(false);
  view->Report(ControlId(button));
}

void SettingsDialogView::OnMoved(GtkRange* range, SettingsDialogView* view) {
  if (view->syncing) return;
  view->model.SetPosition(ControlId(range), static_cast<int32_t>(std::lround(gtk_range_get_value(range))));
  view->Sync(false);
  view->Report(ControlId(range));
}

void SettingsDialogView::OnModeChanged(GtkComboBox* list, SettingsDialogView* view) {
  if (view->syncing) return;
  view->model.SelectMode(gtk_combo_box_get_active(list));
  view->Report(Model::ID_MODE_LIST);
}

void SettingsDialogView::OnClicked(GtkButton* button, SettingsDialogView* view) {
  view->Clicked(ControlId(button));
  view->Report(ControlId(button));
}

// The application paints the picture into an image of the area's pixels;
// where it does not, the frame stays empty.
gboolean SettingsDialogView::OnDrawPicture(GtkWidget* area, cairo_t* context, SettingsDialogView* view) {
  const int scale = gtk_widget_get_scale_factor(area);
  const int width = gtk_widget_get_allocated_width(area) * scale;
  const int height = gtk_widget_get_allocated_height(area) * scale;
  cairo_surface_t* canvas = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(canvas) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(canvas);
    SettingsDialogMessage message{SettingsDialogMessage::Type::PAINT, Model::ID_PICTURE};
    message.pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(canvas));
    message.width = width;
    message.height = height;
    message.stride = cairo_image_surface_get_stride(canvas) / 4;
    if (view->model.Notify(message) != 0) {
      cairo_surface_mark_dirty(canvas);
      cairo_surface_set_device_scale(canvas, scale, scale);
      cairo_set_source_surface(context, canvas, 0, 0);
      cairo_paint(context);
    }
  }
  cairo_surface_destroy(canvas);
  return FALSE;
}

}  // namespace ynx
