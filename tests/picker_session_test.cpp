// Whole dialog sessions without a window: events in, refresh, then the
// canvas, the widget texts, the combo and the result checked against values
// computed by hand.
#include "picker/picker_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "picker/image.h"
#include "picker/session_observer.h"

namespace tintra {
namespace {

constexpr const char* kDescriptor = "Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";
constexpr const char* kAlphaDescriptor =
    "Color\nHexadecimal\tRGB\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)";
constexpr ColorValue kButtonFace = 0xF0F0F0;

int Channel(ColorValue c, int shift) {
  return static_cast<int>((c >> shift) & 0xFF);
}

// Compares the 24 colour bits with a tolerance of 0 and says which channel.
::testing::AssertionResult SameRgb(ColorValue expected, ColorValue actual) {
  if ((expected & 0xFFFFFF) == (actual & 0xFFFFFF)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected (" << Channel(expected, 0) << ", " << Channel(expected, 8) << ", "
         << Channel(expected, 16) << "), got (" << Channel(actual, 0) << ", " << Channel(actual, 8)
         << ", " << Channel(actual, 16) << ")";
}

struct Session {
  PickerSession s;
  Session(ColorValue initial, const char* descriptor, int alpha) {
    OpenSession(s, initial, descriptor, alpha, kButtonFace);
    RefreshSession(s);
  }
  void Press(int x, int y) { OnButtonDown(s.ui, x, y), RefreshSession(s); }
  void Move(int x, int y) { OnPointerMove(s.ui, x, y), RefreshSession(s); }
  void Release(int x, int y) { OnButtonUp(s.ui, x, y), RefreshSession(s); }
  ColorValue Current() const { return s.ui.picker.current; }
};

TEST(PickerSession, OpeningFillsTextsComboAndCanvas) {
  Session d(0x110080FF, kDescriptor, 0);  // (255, 128, 0), alpha byte 0x11
  EXPECT_EQ(d.s.client_height, 402);
  EXPECT_EQ(d.s.ui.channel_text[0], "255");
  EXPECT_EQ(d.s.ui.channel_text[1], "128");
  EXPECT_EQ(d.s.ui.channel_text[2], "0");
  EXPECT_EQ(d.s.ui.combo_index, 89);  // the orange group's central colour
  ASSERT_EQ(d.s.field_texts.size(), 4u);
  EXPECT_EQ(d.s.field_texts[0], "Hexadecimal");
  EXPECT_EQ(d.s.field_texts[1], "RGB");
  EXPECT_EQ(d.s.field_texts[2], "$0080FF");
  EXPECT_EQ(d.s.field_texts[3], "RGB(255, 128, 0)");
  // The marker sits on the full hue at the top-right of the field; the
  // upper swatch shows the colour opaque (no alpha flag).
  EXPECT_TRUE(SameRgb(0x0080FF, PixelAt(d.s.images.canvas, 330, 20)));
  EXPECT_EQ(PixelAt(d.s.images.canvas, 330, 20) >> 24, 255u);
  // The shell is asked for the output fields' texts, then the paint.
  const std::vector<PlatformRequest>& r = d.s.ui.requests;
  ASSERT_GE(r.size(), 3u);
  EXPECT_EQ(r[r.size() - 3].kind, RequestKind::kSetFieldText);
  EXPECT_EQ(r[r.size() - 3].field, 2);
  EXPECT_EQ(r[r.size() - 2].text, "RGB(255, 128, 0)");
  EXPECT_EQ(r.back().kind, RequestKind::kPaint);
  EXPECT_FALSE(d.s.ui.picker.flags.paint);
}

TEST(PickerSession, FieldDragThroughBlackKeepsHue) {
  Session d(0x7F0000FF, kDescriptor, 0);  // red, alpha byte 127
  d.Press(44 + 128, 12 + 64);
  EXPECT_TRUE(SameRgb(ComposeColor(190, 94, 94), d.Current()));  // field pixel (128, 64)
  EXPECT_EQ(AlphaOf(d.Current()), 127);
  d.Move(44 + 200, 12 + 255);  // bottom row: black
  EXPECT_TRUE(SameRgb(0, d.Current()));
  d.Move(44 + 128, 12 + 64);  // back up: the hue survived
  EXPECT_TRUE(SameRgb(ComposeColor(190, 94, 94), d.Current()));
  d.Release(44 + 128, 12 + 64);
  EXPECT_TRUE(SameRgb(ComposeColor(190, 94, 94), d.Current()));
  EXPECT_EQ(d.s.field_texts[3], "RGB(190, 94, 94)");
  EXPECT_EQ(d.s.ui.channel_text[0], "190");
  EXPECT_EQ(d.s.ui.picker.field_x, 128);  // the position pointed at is kept exactly
  EXPECT_EQ(d.s.ui.picker.field_y, 64);
  OnButton(d.s.ui, WidgetId::kOkButton);
  EXPECT_TRUE(d.s.ui.quit);
  EXPECT_EQ(d.s.ui.result, d.Current());
}

TEST(PickerSession, HueBarDragPicksFromTheBarAndRecentresOnRelease) {
  Session d(0x0000FF, kDescriptor, 0);  // red: field (255, 0)
  EXPECT_EQ(d.s.ui.picker.marker_row, 160);
  d.Press(20, 12);  // top row of the bar: entry o, the same hue as the bottom row
  const ColorValue top = d.Current();
  d.Move(20, 12 + 321);
  EXPECT_TRUE(SameRgb(top, d.Current()));
  d.Move(20, 12 + 100);  // somewhere else on the bar: a pure hue at field (255, 0)
  const ColorValue picked = d.Current();
  EXPECT_EQ(picked & 0xFFFFFF, d.s.ui.picker.hue);
  d.Release(20, 12 + 100);
  EXPECT_EQ(d.s.ui.picker.marker_row, 160);  // the bar is centred on the picked hue again
  EXPECT_TRUE(SameRgb(picked, d.Current()));
}

TEST(PickerSession, StripsTypedValuesPresetsAndSwatches) {
  Session d(0x80102030, kAlphaDescriptor, 1);  // (48, 32, 16), alpha 128
  EXPECT_EQ(d.s.client_height, 424);
  d.Press(100, 285);  // red strip at x 100: red 56 at once
  EXPECT_EQ(RedOf(d.Current()), 56);
  d.Move(1000, 285);  // far right, confinement lifted: held at 255
  EXPECT_EQ(RedOf(d.Current()), 255);
  d.Release(1000, 285);
  EXPECT_EQ(d.s.field_texts[3], "RGBA(255, 32, 16, 128)");
  EXPECT_EQ(d.s.field_texts[2], "$801020FF");

  OnChannelTextChanged(d.s.ui, Channel::kGreen, "300");
  RefreshSession(d.s);
  EXPECT_EQ(GreenOf(d.Current()), 255);

  // Store with the upper swatch, pick a preset (alpha kept), then restore.
  d.Release(330, 20);
  EXPECT_EQ(d.s.ui.picker.stored, d.Current());
  const ColorValue stored = d.Current();
  OnPresetEvent(d.s.ui, PresetEventKind::kSelectionChanged, 40);  // pure blue
  RefreshSession(d.s);
  EXPECT_EQ(d.Current(), 0x80FF0000u);
  EXPECT_EQ(d.s.ui.combo_index, 40);
  d.Release(330, 60);  // lower swatch
  EXPECT_EQ(d.Current(), stored);
  EXPECT_EQ(d.s.ui.combo_index, -1);

  OnButton(d.s.ui, WidgetId::kCancelButton);
  EXPECT_EQ(d.s.ui.result, 0x80102030u);
}

TEST(PickerSession, TranslucentSwatchShowsCheckerboardOnlyWithAlpha) {
  // Alpha 0: with the alpha flag the swatch is the checkerboard itself; without,
  // the colour is drawn opaque.
  Session with_alpha(0x000000FF, kAlphaDescriptor, 1);
  Session without(0x000000FF, kDescriptor, 0);
  const ColorValue a = PixelAt(with_alpha.s.images.canvas, 313, 13);  // checker dark square
  EXPECT_TRUE(SameRgb(ComposeColor(48, 48, 48), a));
  const ColorValue b = PixelAt(without.s.images.canvas, 313, 13);
  EXPECT_TRUE(SameRgb(ComposeColor(255, 0, 0), b));
}

// A field_text that writes the template and the colour, so that the test
// sees both arguments; `calls` counts the calls.
std::string TemplateAndColor(const void* calls, std::string_view field_template, ColorValue color) {
  ++*static_cast<int*>(const_cast<void*>(calls));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", color);
  return std::string(field_template) + "=" + hex;
}

TEST(PickerSession, FieldTextOptionGivesEveryOutputFieldAndAnswer) {
  int calls = 0;
  PickerOptions options;
  options.field_text = TemplateAndColor;
  options.field_text_context = &calls;
  PickerSession s;
  OpenSession(s, 0x110080FF, kDescriptor, 0, kButtonFace, kBaseDpi, nullptr, options);
  RefreshSession(s);
  ASSERT_EQ(s.field_texts.size(), 4u);
  EXPECT_EQ(s.field_texts[0], "Hexadecimal");  // captions keep their text, no call
  EXPECT_EQ(s.field_texts[1], "RGB");
  EXPECT_EQ(s.field_texts[2], "$?hb?hg?hr=110080FF");  // placeholders left to the option
  EXPECT_EQ(s.field_texts[3], "RGB(?r, ?g, ?b)=110080FF");
  EXPECT_EQ(calls, 2);
  RefreshSession(s);  // nothing changed: no canvas stage, no call
  EXPECT_EQ(calls, 2);
  OnChannelTextChanged(s.ui, Channel::kGreen, "0");
  RefreshSession(s);
  EXPECT_EQ(s.field_texts[3], "RGB(?r, ?g, ?b)=110000FF");
  EXPECT_EQ(calls, 4);
  // The answer: the colour as edited, confirmed only once OK ended it.
  EXPECT_FALSE(SessionAnswer(s).confirmed);
  OnButton(s.ui, WidgetId::kOkButton);
  const PickerAnswer answer = SessionAnswer(s);
  EXPECT_TRUE(answer.confirmed);
  EXPECT_EQ(answer.color, 0x110000FFu);
}

TEST(PickerSession, OptionsReachTheKeysAndTheTips) {
  struct Row {
    const char* descriptor;
    TipLanguage language;
    bool dialog_keys;
    const char* eyedropper_tip;
    const char* cancel_tip;
  } rows[] = {
      // The classic dialog: tips in the title's language, keys classic.
      {kDescriptor, TipLanguage::kFromTitle, false, "Pick a colour from the screen", "Cancel"},
      {"S\xE9lection de couleur\nRGB\n?r", TipLanguage::kFromTitle, false,
       "Prendre une couleur \xE0 l'\xE9"
       "cran",
       "Annuler"},
      // A title in neither language: English.
      {"Couleur\n?r", TipLanguage::kFromTitle, true, "Pick a colour from the screen", "Cancel"},
      // The caller's language wins over the title.
      {kDescriptor, TipLanguage::kFrench, true,
       "Prendre une couleur \xE0 l'\xE9"
       "cran",
       "Annuler"},
      {"S\xE9lection de couleur\n?r", TipLanguage::kEnglish, false, "Pick a colour from the screen",
       "Cancel"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.descriptor);
    PickerOptions options;
    options.dialog_keys = r.dialog_keys;
    options.tip_language = r.language;
    PickerSession s;
    OpenSession(s, 0, r.descriptor, 0, kButtonFace, kBaseDpi, nullptr, options);
    EXPECT_EQ(s.ui.dialog_keys, r.dialog_keys);
    EXPECT_EQ(std::string(s.tips.eyedropper), r.eyedropper_tip);
    EXPECT_EQ(std::string(s.tips.cancel), r.cancel_tip);
    EXPECT_EQ(std::string(s.tips.ok), "OK");
  }
}

void RecordPointer(void* events, PointerEventKind kind, int x, int y) {
  const char* names[] = {"move", "down", "up"};
  *static_cast<std::string*>(events) += std::string(names[static_cast<int>(kind)]) + " " +
                                        std::to_string(x) + "," + std::to_string(y) + "; ";
}
void RecordNothing(void*) {}

TEST(PickerSession, RawPointerEventsMapToLogicalPixelsOnce) {
  using K = RawPointerKind;
  const struct {
    RawPointerEvent event;  // physical client pixels at 192 DPI
    const char* reported;   // what the observer hears, empty: nothing
  } rows[] = {
      {{K::kMove, true, true, 89, 25}, "move 44,12; "},        // the logical pixel over it
      {{K::kMove, true, true, -1, 5}, "move -1,-1; "},         // outside, no drag
      {{K::kMove, true, false, 89, 25}, "move -1,-1; "},       // the system could not tell
      {{K::kPress, false, true, 108, 44}, ""},                 // right button
      {{K::kPress, true, true, 108, 44}, "down 54,22; "},      // in the field: a drag
      {{K::kDoubleClick, true, true, 108, 44}, ""},            // the same press again
      {{K::kMove, true, true, -41, 9000}, "move -21,4500; "},  // dragging: as it is
      {{K::kRelease, false, true, 0, 0}, ""},
      {{K::kRelease, true, true, -41, 9000}, "up -21,4500; "},
      {{K::kDoubleClick, true, true, 108, 44}, "down 54,22; "},  // no press came before it
  };
  std::string events;
  SessionObserver observer{};
  observer.context = &events;
  observer.opened = RecordNothing;
  observer.pointer_event = RecordPointer;
  PickerSession s;
  OpenSession(s, 0x0000FF, kDescriptor, 0, kButtonFace, 2 * kBaseDpi, &observer);
  for (const auto& r : rows) {
    events.clear();
    OnRawPointer(s, r.event);
    EXPECT_EQ(events, r.reported) << r.event.x << "," << r.event.y;
  }
  EXPECT_NE(s.ui.picker.drag, Drag::kNone);

  // A client area cut at the height cap ends there for the pointer too.
  std::string rows_text = "Tall\n";
  for (int i = 0; i < 1600; ++i) rows_text += "x\n";
  PickerSession tall;
  OpenSession(tall, 0, rows_text, 0, kButtonFace, kBaseDpi, &observer);
  EXPECT_EQ(tall.client_physical_height, kMaxClientHeight);
  EXPECT_EQ(tall.client_height, kMaxClientHeight);
  events.clear();
  OnRawPointer(tall, {K::kMove, true, true, 10, kMaxClientHeight - 1});
  OnRawPointer(tall, {K::kMove, true, true, 10, kMaxClientHeight});
  EXPECT_EQ(events, "move 10,31999; move -1,-1; ");
}

TEST(PickerSession, DpiChangeRelaysOutAndConfinesAgain) {
  PickerSession s;
  OpenSession(s, 0x0000FF, kDescriptor, 0, kButtonFace);
  RefreshSession(s);
  s.ui.requests.clear();
  EXPECT_FALSE(OnDpiChange(s, kBaseDpi));  // the same layout DPI: nothing
  EXPECT_TRUE(s.ui.requests.empty());
  OnButtonDown(s.ui, 44 + 10, 12 + 10);
  s.ui.requests.clear();
  ASSERT_TRUE(OnDpiChange(s, 144));
  EXPECT_EQ(s.layout.dpi, 144);
  ASSERT_EQ(s.ui.requests.size(), 2u);
  EXPECT_EQ(s.ui.requests[0].kind, RequestKind::kRelayout);
  EXPECT_EQ(s.ui.requests[1].kind, RequestKind::kSaveAndConfinePointer);
  EXPECT_EQ(s.ui.requests[1].rect.left, 44);  // the field, in logical pixels
  s.ui.requests.clear();
  RefreshSession(s);
  EXPECT_EQ(s.ui.requests.back().kind, RequestKind::kPaint);
}

TEST(PickerSession, WidgetPlanInTabOrder) {
  const struct {
    const char* descriptor;
    int alpha;
    const char* kinds;  // c combo, f channel field, b button, o output, t caption
  } rows[] = {{kDescriptor, 0, "cfffbbbttoo"}, {kAlphaDescriptor, 1, "cffffbbbttoo"}};
  for (const auto& r : rows) {
    PickerSession s;
    OpenSession(s, 0, r.descriptor, r.alpha, kButtonFace, 2 * kBaseDpi);
    std::string kinds;
    for (const PlannedWidget& w : PlanDialogWidgets(s)) {
      kinds += "cfbot"[static_cast<int>(w.kind)];
      if (w.kind == WidgetKind::kImageButton) {
        // The faces as the layout sizes them at this DPI, the Cancel cross smaller.
        EXPECT_EQ(w.face_size, w.id == WidgetId::kCancelButton ? s.layout.cancel_face_size
                                                               : s.layout.button_face_size);
        EXPECT_GT(w.face_size, 32);
      }
    }
    EXPECT_EQ(kinds, r.kinds);
  }
}

// What a session itself tells its observer (the shell reports the rest):
// the opening, then each refresh and whether it drew the canvas.
void RecordOpened(void* events) {
  *static_cast<std::string*>(events) += "open ";
}
void RecordRefreshed(void* events, bool canvas_redrawn) {
  *static_cast<std::string*>(events) += canvas_redrawn ? "canvas " : "refresh ";
}

TEST(PickerSession, ReportsOpeningAndRefreshesToItsObserver) {
  std::string events;
  SessionObserver observer{};  // the shell's callbacks stay unset: no shell here
  observer.context = &events;
  observer.opened = RecordOpened;
  observer.refreshed = RecordRefreshed;
  PickerSession s;
  OpenSession(s, 0x0000FF, kDescriptor, 0, kButtonFace, kBaseDpi, &observer);
  RefreshSession(s);  // the first canvas
  RefreshSession(s);  // nothing asked for
  OnButtonDown(s.ui, 44 + 10, 12 + 10);
  RefreshSession(s);  // a press in the field: a new colour
  RescaleSession(s, 2 * kBaseDpi);
  RefreshSession(s);  // laid out again: still watched
  EXPECT_EQ(events, "open canvas refresh canvas canvas ");
}

}  // namespace
}  // namespace tintra
