#include "app/gtk/SettingsDialogView.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ScreensaverApplication.h"
#include "app/gtk/DialogWidgets.h"
#include "app/gtk/RunSettingsDialog.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/CodecManager.h"
#include "engine/io/FileManager.h"
#include "engine/system/ModuleManager.h"
#include "tests/app/SettingsFixture.h"
#include "tests/support/CapturedLog.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace {

using ynx::SettingsDialogModel;
using ynx::SettingsDialogView;
using Model = SettingsDialogModel;

// Two modes, the desktop's (1) in two depth formats.
std::vector<ynx::DisplayModeDesc> Modes() {
  using ynx::test::Mode;
  return {Mode(640, 480, 32), Mode(1024, 768, 32), Mode(1024, 768, 32, 16)};
}

std::string LabelText(GtkWidget* label) { return gtk_label_get_text(GTK_LABEL(label)); }

bool Active(GtkWidget* button) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)); }

// The visible dialog of that title (any title for null), or null: for
// dialogs the code under test makes and runs itself.
GtkDialog* OpenDialog(const char* title) {
  GtkDialog* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (GTK_IS_DIALOG(window) && gtk_widget_get_visible(GTK_WIDGET(window)) &&
        (title == nullptr || std::string(title) == gtk_window_get_title(window))) {
      found = GTK_DIALOG(window);
    }
  }
  g_list_free(windows);
  return found;
}

// Runs `step` once the dialog's loop is running; a dialog still open after
// some seconds is cancelled, so that a broken case fails rather than hangs.
class Scripted {
 public:
  Scripted(GtkWidget* dialog, std::function<void()> step) : dialog(dialog), step(std::move(step)) {
    idle = g_idle_add(&Scripted::Step, this);
    timeout = g_timeout_add_seconds(20, &Scripted::GiveUp, this);
  }
  ~Scripted() {
    if (idle != 0) g_source_remove(idle);
    g_source_remove(timeout);
  }
  bool gaveUp = false;

 private:
  static gboolean Step(gpointer data) {
    auto* self = static_cast<Scripted*>(data);
    self->idle = 0;
    self->step();
    return G_SOURCE_REMOVE;
  }
  static gboolean GiveUp(gpointer data) {
    auto* self = static_cast<Scripted*>(data);
    self->gaveUp = true;
    gtk_dialog_response(GTK_DIALOG(self->dialog), Model::ID_CANCEL);
    return G_SOURCE_CONTINUE;
  }
  GtkWidget* dialog;
  std::function<void()> step;
  guint idle = 0;
  guint timeout = 0;
};

// A picture of the custom-data archive as the desktop's decoder reads it.
GdkPixbuf* Decoded(const char* name) {
  std::vector<uint8_t> bytes;
  if (!Model::ReadPicture(name, bytes)) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
  gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
  if (pixbuf != nullptr) g_object_ref(pixbuf);
  g_object_unref(loader);
  return pixbuf;
}

// Pixels of a 0x00RRGGBB canvas that differ from the picture by more than
// `tolerance` in a channel.
int Mismatches(const std::vector<uint32_t>& canvas, int stride, GdkPixbuf* picture, int tolerance) {
  const int channels = gdk_pixbuf_get_n_channels(picture);
  const int rowstride = gdk_pixbuf_get_rowstride(picture);
  const guchar* pixels = gdk_pixbuf_read_pixels(picture);
  int mismatches = 0;
  for (int y = 0; y < gdk_pixbuf_get_height(picture); ++y) {
    for (int x = 0; x < gdk_pixbuf_get_width(picture); ++x) {
      const guchar* expected = pixels + y * rowstride + x * channels;
      const uint32_t seen = canvas[static_cast<size_t>(y) * stride + x];
      for (int c = 0; c < 3; ++c) {
        if (std::abs(static_cast<int>(seen >> (16 - 8 * c) & 0xFF) - expected[c]) > tolerance) {
          ++mismatches;
          break;
        }
      }
    }
  }
  return mismatches;
}

class SettingsDialogViewTest : public ynx::test::SettingsFixture {
 protected:
  // The pictures come from the program's own custom-data archive, mounted
  // as configuration mode mounts it.
  static void SetUpTestSuite() {
    ynx::ModuleManager::LoadModule(ynx::String("RAR2FileCodec"), nullptr);
    ynx::CodecManager::GetCodec(ynx::String("RAR2FileCodec"), nullptr);
    ynx::CodecManager::GetCodec(ynx::String("BMPImageCodec"), nullptr);
    ASSERT_EQ(ynx::FileManager::MountResource(134, ynx::String("CustomData.rar2"), ynx::String()), 0);
  }
  static void TearDownTestSuite() {
    delete ynx::FileManager::Root()->FindDirectory(ynx::String("CustomData.rar2"));
  }
  void SetUp() override {
    SettingsFixture::SetUp();
    if (gdk_display_get_default() != nullptr) return;
    setenv("NO_AT_BRIDGE", "1", 1);
    gdk_set_allowed_backends("x11");
    gtk_disable_setlocale();
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no X display (run under xvfb-run)";
  }
  ynx::Settings& Current() { return application->MutableSettings(); }
};

TEST_F(SettingsDialogViewTest, WidgetsFollowTheModelAndOkStoresWhatTheUserSet) {
  Model model(*application, Modes(), 1);
  SettingsDialogView view(model, 0);
  auto widget = [&view](int32_t id) { return view.Widget(id); };

  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(view.Dialog())), "Vellumere 3D Screensaver Configuration");
  GtkWidget* list = widget(Model::ID_MODE_LIST);
  EXPECT_FALSE(gtk_widget_get_sensitive(list)) << "the desktop's settings are on";
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(list)), 1);
  EXPECT_EQ(LabelText(widget(Model::ID_GAMMA_VALUE)), "100%");
  EXPECT_EQ(gtk_range_get_value(GTK_RANGE(widget(Model::ID_VOLUME))), 50);
  EXPECT_TRUE(Active(widget(Model::ID_HOUR_12)));
  EXPECT_TRUE(Active(widget(Model::ID_SFX)));
  GdkPixbuf* picture = Decoded(Model::SETTINGS_PICTURE);
  ASSERT_NE(picture, nullptr) << "settings.bmp";

  Scripted script(view.Dialog(), [&] {
    // The screensaver paints its picture into the frame at the frame's size.
    GtkWidget* frame = widget(Model::ID_PICTURE);
    ASSERT_EQ(gtk_widget_get_allocated_width(frame), gdk_pixbuf_get_width(picture));
    ASSERT_EQ(gtk_widget_get_allocated_height(frame), gdk_pixbuf_get_height(picture));
    cairo_surface_t* shot = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 512, 128);
    cairo_t* context = cairo_create(shot);
    gtk_widget_draw(frame, context);
    cairo_destroy(context);
    cairo_surface_flush(shot);
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(shot));
    const int stride = cairo_image_surface_get_stride(shot) / 4;
    EXPECT_EQ(Mismatches(std::vector<uint32_t>(data, data + stride * 128), stride, picture, 0), 0);
    cairo_surface_destroy(shot);

    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_USE_DESKTOP)));
    EXPECT_FALSE(Current().useDesktopSettings);
    EXPECT_TRUE(gtk_widget_get_sensitive(list));
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), 0);

    gtk_range_set_value(GTK_RANGE(widget(Model::ID_GAMMA)), -40);
    EXPECT_EQ(Current().gamma, -40);
    EXPECT_EQ(LabelText(widget(Model::ID_GAMMA_VALUE)), "60%");

    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_HOUR_24)));
    EXPECT_TRUE(Current().hour24);
    EXPECT_FALSE(Active(widget(Model::ID_HOUR_12)));
    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_SHOW_TIME)));
    EXPECT_FALSE(gtk_widget_get_sensitive(widget(Model::ID_HOUR_24)));

    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_MUSIC)));
    EXPECT_TRUE(gtk_widget_get_sensitive(widget(Model::ID_VOLUME)));
    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_SFX)));
    EXPECT_FALSE(gtk_widget_get_sensitive(widget(Model::ID_VOLUME)));
    EXPECT_FALSE(gtk_widget_get_sensitive(widget(Model::ID_VOLUME_CAPTION)));

    gtk_button_clicked(GTK_BUTTON(widget(Model::ID_OK)));
  });
  EXPECT_EQ(view.Run(), Model::OK_RESULT);
  EXPECT_FALSE(script.gaveUp);

  g_object_unref(picture);

  const ynx::Settings stored = Load()->GetSettings();
  EXPECT_FALSE(stored.useDesktopSettings);
  EXPECT_EQ(stored.width, 640);
  EXPECT_EQ(stored.height, 480);
  EXPECT_EQ(stored.gamma, -40);
  EXPECT_TRUE(stored.hour24);
  EXPECT_FALSE(stored.showTime);
  EXPECT_FALSE(stored.music);
  EXPECT_FALSE(stored.sfx);
}

TEST_F(SettingsDialogViewTest, RestoreAboutAndClosingWriteNothingAndCancel) {
  Current().volume = 9;
  Current().showFps = true;
  ynx::test::CapturedLog log;
  const std::string registryBefore = RegistryText();

  // The dialog stays above the window a settings panel hands over.
  GtkWidget* panel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_realize(panel);
  const Window panelWindow = GDK_WINDOW_XID(gtk_widget_get_window(panel));
  Model model(*application, Modes(), -1);
  SettingsDialogView view(model, panelWindow);

  // What the about box showed: its labels and its logo's width.
  struct {
    std::vector<std::string> lines;
    int logoWidth = 0;
  } about;
  Scripted script(view.Dialog(), [&] {
    Window transientFor = 0;
    Display* display = GDK_DISPLAY_XDISPLAY(gtk_widget_get_display(view.Dialog()));
    XGetTransientForHint(display, GDK_WINDOW_XID(gtk_widget_get_window(view.Dialog())), &transientFor);
    EXPECT_EQ(transientFor, panelWindow);

    gtk_button_clicked(GTK_BUTTON(view.Widget(Model::ID_RESTORE_DEFAULTS)));
    EXPECT_EQ(Current().volume, 50);
    EXPECT_FALSE(Current().showFps);
    EXPECT_EQ(gtk_range_get_value(GTK_RANGE(view.Widget(Model::ID_VOLUME))), 50);
    EXPECT_FALSE(Active(view.Widget(Model::ID_SHOW_FPS)));

    // The about box runs a loop of its own: read it and press its OK from
    // inside that loop.
    g_idle_add(
        [](gpointer data) -> gboolean {
          auto* seen = static_cast<decltype(about)*>(data);
          GtkDialog* box = OpenDialog("About");
          if (box == nullptr) return G_SOURCE_REMOVE;
          std::function<void(GtkWidget*)> collect = [&](GtkWidget* widget) {
            if (GTK_IS_LABEL(widget)) seen->lines.push_back(gtk_label_get_text(GTK_LABEL(widget)));
            if (GTK_IS_IMAGE(widget) && gtk_image_get_pixbuf(GTK_IMAGE(widget)) != nullptr) {
              seen->logoWidth = gdk_pixbuf_get_width(gtk_image_get_pixbuf(GTK_IMAGE(widget)));
            }
            if (GTK_IS_CONTAINER(widget)) {
              gtk_container_foreach(GTK_CONTAINER(widget),
                                    [](GtkWidget* child, gpointer f) {
                                      (*static_cast<decltype(collect)*>(f))(child);
                                    },
                                    &collect);
            }
          };
          collect(gtk_dialog_get_content_area(box));
          gtk_dialog_response(box, Model::ID_OK);
          return G_SOURCE_REMOVE;
        },
        &about);
    gtk_button_clicked(GTK_BUTTON(view.Widget(Model::ID_ABOUT)));

    gtk_window_close(GTK_WINDOW(view.Dialog()));
  });
  EXPECT_EQ(view.Run(), Model::CANCEL_RESULT);
  EXPECT_FALSE(script.gaveUp);
  gtk_widget_destroy(panel);

  // Eight lines, then the caption of its OK.
  ASSERT_EQ(about.lines.size(), 9u);
  EXPECT_EQ(about.lines[8], "OK");
  EXPECT_EQ(about.lines[0], "Vellumere 3D Screensaver");
  EXPECT_EQ(about.lines[7], "Documentation: /usr/share/doc/vellumere");
  EXPECT_EQ(about.logoWidth, 128) << "logo.bmp";
  EXPECT_FALSE(log.Contains("WARNING. Окно-владелец [" + std::to_string(panelWindow) +
                            "] диалога настроек не найдено."));
  EXPECT_EQ(RegistryText(), registryBefore);
}

// The screensaver's answer to each dialog event, the picture painted at
// any size it is given.
TEST_F(SettingsDialogViewTest, TheScreensaverAnswersTheDialogAndPaintsItsPicture) {
  using Message = ynx::SettingsDialogMessage;
  using Type = Message::Type;
  GdkPixbuf* picture = Decoded(Model::SETTINGS_PICTURE);
  ASSERT_NE(picture, nullptr);
  GdkPixbuf* half = gdk_pixbuf_scale_simple(picture, 256, 64, GDK_INTERP_BILINEAR);
  Model model(*application, Modes(), 1);
  const struct {
    const char* what;
    Type type;
    int32_t control;
    int width, height, stride;
    GdkPixbuf* expected;
    int tolerance;
    int32_t answer;
  } cases[] = {
      {"init keeps the default focus", Type::INIT, 0, 0, 0, 0, nullptr, 0, 1},
      {"a command", Type::COMMAND, Model::ID_OK, 0, 0, 0, nullptr, 0, 0},
      {"another control", Type::PAINT, Model::ID_ABOUT, 512, 128, 512, nullptr, 0, 0},
      {"rows overlapping", Type::PAINT, Model::ID_PICTURE, 512, 128, 100, nullptr, 0, 0},
      {"its own size", Type::PAINT, Model::ID_PICTURE, 512, 128, 520, picture, 0, 1},
      // Averaged rather than sampled: close to a smooth shrink.
      {"half size", Type::PAINT, Model::ID_PICTURE, 256, 64, 256, half, 40, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint32_t> canvas(static_cast<size_t>(c.stride) * std::max(c.height, 1), 0xDEADBEEF);
    Message message{c.type, c.control};
    if (c.width > 0) {
      message.pixels = canvas.data();
      message.width = c.width;
      message.height = c.height;
      message.stride = c.stride;
    }
    EXPECT_EQ(model.Notify(message), c.answer);
    if (c.expected != nullptr) {
      const int allowed = c.tolerance == 0 ? 0 : c.width * c.height / 50;
      EXPECT_LE(Mismatches(canvas, c.stride, c.expected, c.tolerance), allowed);
      // The padding past each row is left alone.
      if (c.stride > c.width) {
        EXPECT_EQ(canvas[static_cast<size_t>(c.stride) - 1], 0xDEADBEEFu);
      }
    }
  }
  g_object_unref(half);
  g_object_unref(picture);
}

TEST_F(SettingsDialogViewTest, ABrokenPictureLeavesAnEmptyFrame) {
  std::vector<uint8_t> picture;
  ASSERT_TRUE(Model::ReadPicture(Model::SETTINGS_PICTURE, picture));
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      // Cut inside its headers (a cut among the pixels decodes what is there).
      {"cut.bmp", std::vector<uint8_t>(picture.begin(), picture.begin() + 30)},
      {"noise.bmp", std::vector<uint8_t>{'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 1, 2, 3, 4, 5, 6}},
  };
  auto* folder = new ynx::Directory(ynx::String("Broken"));
  for (const auto& c : cases) {
    auto* file = new ynx::MemoryFile(ynx::String(c.name));
    auto* bytes = static_cast<uint8_t*>(std::malloc(c.bytes.size()));
    std::copy(c.bytes.begin(), c.bytes.end(), bytes);
    file->SetSource(bytes, static_cast<int32_t>(c.bytes.size()), true);
    folder->AttachFile(file);
  }
  ASSERT_EQ(ynx::FileManager::Root()->AttachDirectory(folder), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ynx::test::CapturedLog log;
    GtkWidget* frame = ynx::DialogWidgets::Picture(c.name);
    g_object_ref_sink(frame);
    EXPECT_EQ(gtk_bin_get_child(GTK_BIN(frame)), nullptr);
    const std::string warning = std::string("WARNING. Невозможно декодировать картинку диалога [") + c.name + "]";
    EXPECT_EQ(log.Filtered({warning}).size(), 1u);
    gtk_widget_destroy(frame);
    g_object_unref(frame);
  }
  delete folder;
}

// Without a renderer the entry shows an empty mode list; OK stores.
TEST_F(SettingsDialogViewTest, TheEntryRunsTheDialogForTheApplication) {
  Current().volume = 12;
  g_idle_add(
      [](gpointer) -> gboolean {
        GtkDialog* dialog = OpenDialog("Vellumere 3D Screensaver Configuration");
        if (dialog == nullptr) return G_SOURCE_CONTINUE;
        gtk_dialog_response(dialog, Model::ID_OK);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  // Whatever else opened is cancelled in the end, so that the case fails
  // rather than hangs.
  const guint giveUp = g_timeout_add_seconds(
      20,
      [](gpointer) -> gboolean {
        if (GtkDialog* dialog = OpenDialog(nullptr)) gtk_dialog_response(dialog, Model::ID_CANCEL);
        return G_SOURCE_CONTINUE;
      },
      nullptr);
  EXPECT_EQ(ynx::RunSettingsDialog(*application), Model::OK_RESULT);
  g_source_remove(giveUp);
  EXPECT_EQ(Load()->GetSettings().volume, 12);
}

using SettingsDialogEntryTest = ynx::test::SettingsFixture;

TEST_F(SettingsDialogEntryTest, WithoutADisplayItFailsAtOnce) {
  // A fresh process, whose toolkit has not met the display yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("DISPLAY");
        ynx::test::CapturedLog log;
        const int32_t result = ynx::RunSettingsDialog(*application);
        std::exit(result == -1 && log.Contains("ERROR. Невозможно открыть диалог настроек.") ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
