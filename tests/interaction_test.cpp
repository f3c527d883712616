#include "picker/interaction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "picker/picker_session.h"

namespace tintra {
namespace {

using RK = RequestKind;

std::vector<RK> Kinds(const InteractionState& s) {
  std::vector<RK> kinds;
  for (const PlatformRequest& r : s.requests) kinds.push_back(r.kind);
  return kinds;
}

// A state with no flag set, so that a test sees only what its handler sets.
InteractionState Quiet(ColorValue initial, int alpha_flag) {
  InteractionState s = StartInteraction(initial, alpha_flag);
  s.picker.flags = {};
  return s;
}

void Click(InteractionState& s, int x, int y) {
  OnButtonDown(s, x, y);
  OnButtonUp(s, x, y);
}

struct PressCase {
  int alpha;
  int x, y;
  Drag drag;
  int a, b;  // field: x, y; strip: channel value; hue bar: marker row
};

TEST(InteractionPress, AreasEdgesAndValues) {
  const PressCase cases[] = {
      {0, 44, 12, Drag::kField, 0, 0},        // field top-left corner
      {0, 299, 267, Drag::kField, 255, 255},  // field bottom-right pixel
      {0, 300, 100, Drag::kNone, 0, 0},       // right edge excluded
      {0, 43, 100, Drag::kNone, 0, 0},        // left of the field
      {0, 100, 11, Drag::kNone, 0, 0},        // above the field
      {0, 100, 268, Drag::kNone, 0, 0},       // bottom edge excluded
      {0, 100, 280, Drag::kRed, 56, 0},       // red strip, x = 100
      {0, 44, 289, Drag::kRed, 0, 0},         // red strip, first column, last row
      {0, 100, 279, Drag::kNone, 0, 0},       // gap above the red strip
      {0, 100, 290, Drag::kNone, 0, 0},       // gap below the red strip
      {0, 299, 302, Drag::kGreen, 255, 0},    // green strip, last column
      {0, 100, 311, Drag::kGreen, 56, 0},     // green strip, last row
      {0, 150, 324, Drag::kBlue, 106, 0},     // blue strip, top row
      {0, 100, 334, Drag::kNone, 0, 0},       // below the blue strip
      {0, 100, 350, Drag::kNone, 0, 0},       // no alpha strip without alpha
      {1, 100, 350, Drag::kAlpha, 56, 0},     // alpha strip
      {1, 44, 346, Drag::kAlpha, 0, 0},       // alpha strip, top-left
      {1, 100, 356, Drag::kNone, 0, 0},       // below the alpha strip
      {0, 12, 12, Drag::kHueBar, 0, 0},       // hue bar, top-left
      {0, 31, 333, Drag::kHueBar, 321, 0},    // hue bar, last row without alpha
      {0, 20, 334, Drag::kNone, 0, 0},        // below the hue bar without alpha
      {0, 32, 100, Drag::kNone, 0, 0},        // right of the hue bar
      {0, 11, 100, Drag::kNone, 0, 0},        // left of the hue bar
      {1, 20, 350, Drag::kHueBar, 338, 0},    // hue bar with alpha
      {1, 20, 355, Drag::kHueBar, 343, 0},    // last row with alpha
      {1, 20, 356, Drag::kNone, 0, 0},        // below the hue bar with alpha
      {0, 330, 20, Drag::kNone, 0, 0},        // a swatch is no press area
      {0, -1, -1, Drag::kNone, 0, 0},         // outside the window
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "alpha " << c.alpha << " at " << c.x << "," << c.y);
    InteractionState s = Quiet(0x80000000, c.alpha);
    OnButtonDown(s, c.x, c.y);
    EXPECT_EQ(s.picker.drag, c.drag);
    const PickerState& p = s.picker;
    switch (c.drag) {
      case Drag::kNone:
        EXPECT_TRUE(s.requests.empty());
        EXPECT_FALSE(p.flags.canvas);
        EXPECT_EQ(p.current, 0x80000000u);
        continue;
      case Drag::kField:
        EXPECT_EQ(p.field_x, c.a);
        EXPECT_EQ(p.field_y, c.b);
        EXPECT_FALSE(p.flags.rederive);  // the colour comes from the read-back
        EXPECT_FALSE(p.flags.hue_bar);
        break;
      case Drag::kHueBar:
        EXPECT_EQ(p.marker_row, c.a);
        EXPECT_FALSE(p.flags.rederive);
        EXPECT_TRUE(p.flags.hue_bar);
        break;
      case Drag::kRed:
        EXPECT_EQ(p.current, 0x80000000u | static_cast<ColorValue>(c.a));
        break;
      case Drag::kGreen:
        EXPECT_EQ(p.current, 0x80000000u | static_cast<ColorValue>(c.a) << 8);
        break;
      case Drag::kBlue:
        EXPECT_EQ(p.current, 0x80000000u | static_cast<ColorValue>(c.a) << 16);
        break;
      case Drag::kAlpha:
        EXPECT_EQ(p.current, static_cast<ColorValue>(c.a) << 24);
        break;
    }
    if (c.drag != Drag::kField && c.drag != Drag::kHueBar) {
      EXPECT_TRUE(p.flags.rederive && p.flags.hue_bar);
    }
    EXPECT_TRUE(p.flags.canvas);
    EXPECT_EQ(s.focus, WidgetId::kOkButton);
  }
}

TEST(InteractionPress, RequestSequencesForPressAndRelease) {
  struct Row {
    int alpha, x, y;
    ClientRect rect;
  } rows[] = {
      {0, 100, 100, {44, 12, 300, 268}},   // colour field
      {0, 100, 285, {44, 280, 300, 290}},  // red strip
      {1, 100, 350, {44, 346, 300, 356}},  // alpha strip
      {0, 20, 20, {12, 12, 32, 334}},      // hue bar
      {1, 20, 20, {12, 12, 32, 356}},      // hue bar with alpha
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "press at " << r.x << "," << r.y);
    InteractionState s = Quiet(0, r.alpha);
    OnButtonDown(s, r.x, r.y);
    ASSERT_EQ(Kinds(s), (std::vector<RK>{RK::kHidePointer, RK::kSaveAndConfinePointer,
                                         RK::kCapturePointer, RK::kFocusOkButton}));
    const ClientRect& got = s.requests[1].rect;
    EXPECT_EQ(got.left, r.rect.left);
    EXPECT_EQ(got.top, r.rect.top);
    EXPECT_EQ(got.right, r.rect.right);
    EXPECT_EQ(got.bottom, r.rect.bottom);
    s.requests.clear();
    s.picker.flags = {};
    OnButtonUp(s, r.x, r.y);
    // The capture change that giving up the capture causes does nothing more.
    OnPointerCaptureLost(s);
    EXPECT_EQ(Kinds(s), (std::vector<RK>{RK::kShowPointer, RK::kRestoreConfinement,
                                         RK::kReleasePointerCapture}));
    EXPECT_EQ(s.picker.drag, Drag::kNone);
    EXPECT_FALSE(s.confinement_saved);
    EXPECT_FALSE(s.pointer_captured);
    EXPECT_TRUE(s.picker.flags.canvas);
    EXPECT_EQ(s.picker.flags.hue_bar, r.x == 20);  // the bar re-centres after its own drag
  }
}

TEST(InteractionDrag, ValuesStayInRangeWhenThePointerLeavesTheArea) {
  InteractionState s = Quiet(0x7F000000, 0);
  OnButtonDown(s, 100, 285);
  EXPECT_EQ(RedOf(s.picker.current), 56);
  OnPointerMove(s, 5000, 285);  // far right
  EXPECT_EQ(s.picker.current, 0x7F0000FFu);
  OnPointerMove(s, -5000, 0);  // far left
  EXPECT_EQ(s.picker.current, 0x7F000000u);
  OnPointerMove(s, 300, 285);
  EXPECT_EQ(RedOf(s.picker.current), 255);
  OnPointerMove(s, -1, -1);  // outside the window
  EXPECT_EQ(s.picker.current, 0x7F000000u);
  OnButtonUp(s, -1, -1);

  OnButtonDown(s, 100, 100);  // field
  OnPointerMove(s, -1, -1);
  EXPECT_EQ(s.picker.field_x, 0);
  EXPECT_EQ(s.picker.field_y, 0);
  OnPointerMove(s, 9000, 9000);
  EXPECT_EQ(s.picker.field_x, 255);
  EXPECT_EQ(s.picker.field_y, 255);
  OnButtonUp(s, 9000, 9000);

  for (int alpha : {0, 1}) {
    InteractionState h = Quiet(0, alpha);
    OnButtonDown(h, 20, 20);  // hue bar
    OnPointerMove(h, 20, 2000);
    EXPECT_EQ(h.picker.marker_row, 321 + 22 * alpha);
    OnPointerMove(h, -1, -1);
    EXPECT_EQ(h.picker.marker_row, 0);
  }
}

// During a drag the shell hands over the pointer's real position, however
// far outside the window; each value stops at its area's nearest edge.
TEST(InteractionDrag, PositionsBeyondEachEdgeHoldAtThatEdge) {
  struct Row {
    int alpha;
    int press_x, press_y, move_x, move_y;
    int a, b;  // field: x, y; strip: channel value; hue bar: marker row
  } rows[] = {
      {0, 100, 100, -30, 100, 0, 88},    // field, left of the window
      {0, 100, 100, 400, 100, 255, 88},  // field, right of the window
      {0, 100, 100, 100, -30, 56, 0},    // field, above the window
      {0, 100, 100, 100, 900, 56, 255},  // field, below the window
      {0, 100, 285, -30, 285, 0, 0},     // red, left
      {0, 100, 285, 500, -400, 255, 0},  // red, right and far above: y does not count
      {0, 100, 305, -1, 305, 0, 0},      // green: -1 is a real position in a drag
      {0, 100, 327, -800, 900, 0, 0},    // blue, below left
      {1, 100, 350, 330, 350, 255, 0},   // alpha, over the swatches' column
      {0, 20, 100, 20, -30, 0, 0},       // hue bar, above
      {0, 20, 100, -500, 400, 321, 0},   // hue bar, below: x does not count
      {1, 20, 100, 20, 400, 343, 0},     // hue bar with alpha, below
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "press " << r.press_x << "," << r.press_y << ", move "
                                    << r.move_x << "," << r.move_y);
    InteractionState s = Quiet(0x80000000, r.alpha);
    OnButtonDown(s, r.press_x, r.press_y);
    OnPointerMove(s, r.move_x, r.move_y);
    const PickerState& p = s.picker;
    switch (p.drag) {
      case Drag::kField:
        EXPECT_EQ(p.field_x, r.a);
        EXPECT_EQ(p.field_y, r.b);
        break;
      case Drag::kHueBar:
        EXPECT_EQ(p.marker_row, r.a);
        break;
      case Drag::kNone:
        ADD_FAILURE() << "no drag";
        break;
      default: {
        const auto channel =
            static_cast<Channel>(static_cast<int>(p.drag) - static_cast<int>(Drag::kRed));
        EXPECT_EQ(ChannelOf(p.current, channel), r.a);
        break;
      }
    }
  }
}

// A quick tap hands the press and the release over before the refresh: it
// must pick as a press held over a refresh does, and a drag's last move
// must count when the release follows it at once.
TEST(InteractionDrag, TapInOneBatchPicksAsAHeldPress) {
  struct Step {
    enum { kDown, kMove, kUp } kind;
    int x, y;
    bool refresh;  // in the batched run: refresh after this step
  };
  struct Row {
    const char* what;
    std::vector<Step> steps;
  } rows[] = {
      {"field tap", {{Step::kDown, 172, 76, false}, {Step::kUp, 172, 76, true}}},
      {"hue-bar tap", {{Step::kDown, 20, 100, false}, {Step::kUp, 20, 100, true}}},
      {"field, move and release together",
       {{Step::kDown, 100, 100, true}, {Step::kMove, 250, 40, false}, {Step::kUp, 250, 40, true}}},
      {"hue bar, move and release together",
       {{Step::kDown, 20, 100, true}, {Step::kMove, 20, 250, false}, {Step::kUp, 20, 250, true}}},
  };
  auto run = [](const Row& r, bool every_step) {
    auto session = std::make_unique<PickerSession>();
    OpenSession(*session, 0x80FF0000, "Tap", 0, 0x00C0C0C0);
    RefreshSession(*session);
    for (const Step& step : r.steps) {
      if (step.kind == Step::kDown) OnButtonDown(session->ui, step.x, step.y);
      if (step.kind == Step::kMove) OnPointerMove(session->ui, step.x, step.y);
      if (step.kind == Step::kUp) OnButtonUp(session->ui, step.x, step.y);
      if (every_step || step.refresh) RefreshSession(*session);
    }
    return session->ui.picker;
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const PickerState held = run(r, true);
    const PickerState batched = run(r, false);
    EXPECT_NE(held.current, 0x80FF0000u);  // the press picked another colour
    EXPECT_EQ(batched.current, held.current);
    EXPECT_EQ(batched.hue, held.hue);
    EXPECT_EQ(batched.hue_offset, held.hue_offset);
    EXPECT_EQ(batched.marker_row, held.marker_row);
    EXPECT_EQ(batched.field_x, held.field_x);
    EXPECT_EQ(batched.field_y, held.field_y);
    EXPECT_FALSE(batched.field_pick_pending || batched.hue_pick_pending);
  }
  // A colour set directly later in the batch wins over a pick not yet read
  // back: the strip's red is not overwritten by the field pixel.
  PickerSession session;
  OpenSession(session, 0x002E0000, "Tap", 0, 0);  // (56, 0, 46) reads back as (56, 0, 45)
  RefreshSession(session);
  Click(session.ui, 172, 76);
  OnButtonDown(session.ui, 100, 285);  // red 56
  RefreshSession(session);
  EXPECT_EQ(session.ui.picker.current, 0x002E0038u);
}

TEST(InteractionDrag, PressWhileAnEarlierReleaseWasLostEndsTheEarlierDragFirst) {
  InteractionState s = Quiet(0, 0);
  OnButtonDown(s, 100, 100);  // field; its release never comes
  s.requests.clear();
  OnButtonDown(s, 150, 150);  // the field again: its own drag is set, nothing starts
  EXPECT_TRUE(s.requests.empty());
  OnButtonDown(s, 100, 305);  // green strip
  EXPECT_EQ(Kinds(s),
            (std::vector<RK>{RK::kShowPointer, RK::kRestoreConfinement, RK::kReleasePointerCapture,
                             RK::kHidePointer, RK::kSaveAndConfinePointer, RK::kCapturePointer,
                             RK::kFocusOkButton}));
  EXPECT_EQ(s.picker.drag, Drag::kGreen);
  EXPECT_EQ(GreenOf(s.picker.current), 56);
}

TEST(InteractionSwatch, StoreAndRestoreKeepAlpha) {
  InteractionState s = Quiet(0x80102030, 1);
  Click(s, 330, 20);  // upper swatch stores
  EXPECT_EQ(s.picker.stored, 0x80102030u);
  OnChannelTextChanged(s, Channel::kAlpha, "7");
  OnChannelTextChanged(s, Channel::kRed, "1");
  s.picker.flags = {};
  Click(s, 330, 60);  // lower swatch restores
  EXPECT_EQ(s.picker.current, 0x80102030u);
  EXPECT_TRUE(s.picker.flags.rederive && s.picker.flags.hue_bar && s.picker.flags.canvas);
}

TEST(InteractionSwatch, ReleaseActsWhereverThePressWas) {
  InteractionState s = Quiet(0x00ABCDEF, 0);
  s.picker.current = 0x00123456;
  OnButtonDown(s, 5, 5);   // no press area
  OnButtonUp(s, 359, 43);  // upper swatch, bottom-right pixel
  EXPECT_EQ(s.picker.stored, 0x00123456u);
  OnButtonDown(s, 5, 5);
  OnButtonUp(s, 360, 43);  // right edge excluded
  s.picker.current = 0x00000001;
  OnButtonUp(s, 312, 75);  // lower swatch, bottom-left pixel
  EXPECT_EQ(s.picker.current, 0x00123456u);
}

TEST(InteractionSwatch, ReleaseEndingADragOverASwatchOnlyEndsTheDrag) {
  // Possible only when the system lifted the confinement.
  InteractionState s = Quiet(0x00000011, 0);
  OnButtonDown(s, 100, 285);  // red strip: red 56
  OnButtonUp(s, 330, 20);     // over the upper swatch
  EXPECT_EQ(s.picker.stored, 0x00000011u);
  EXPECT_EQ(s.picker.drag, Drag::kNone);
}

TEST(InteractionHover, CanvasFlagOnlyWhenTheValueChanges) {
  struct Step {
    int x, y;
    Hover hover;
    bool canvas;
  } steps[] = {
      {312, 12, Hover::kUpper, true},   // upper swatch, top-left pixel
      {359, 43, Hover::kUpper, false},  // still upper
      {312, 44, Hover::kLower, true},   // lower swatch, top row
      {320, 75, Hover::kLower, false},  // lower swatch, bottom row
      {320, 76, Hover::kNone, true},    // below the swatches
      {360, 20, Hover::kNone, false},   // right edge excluded
      {330, 20, Hover::kUpper, true},  {-1, -1, Hover::kNone, true},  // outside the window
  };
  InteractionState s = Quiet(0, 0);
  for (const Step& st : steps) {
    SCOPED_TRACE(testing::Message() << "move to " << st.x << "," << st.y);
    s.picker.flags = {};
    OnPointerMove(s, st.x, st.y);
    EXPECT_EQ(s.picker.hover, st.hover);
    EXPECT_EQ(s.picker.flags.canvas, st.canvas);
  }
}

TEST(InteractionChannelField, TypedValueIsHeldToItsRange) {
  struct Row {
    const char* text;
    int red;            // at once
    const char* shown;  // after the focus is lost
  } rows[] = {
      {"300", 255, "255"},
      {"", 0, "0"},
      {"$FF", 255, "255"},    // pasted hexadecimal
      {"%101", 5, "5"},       // binary
      {"  42abc", 42, "42"},  // blanks skipped, stops at the letter
      {"-5", 0, "0"},
      {"3000000000", 255, "255"},  // above 2^31: no sign from a 32-bit cut
      {"4294967296", 255, "255"},  // 2^32: not 0 from a 32-bit cut
      {"abc", 0, "0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    InteractionState s = Quiet(0x80332211, 0);
    OnFocusGained(s, WidgetId::kRedField);
    OnChannelTextChanged(s, Channel::kRed, r.text);
    EXPECT_EQ(s.picker.current, 0x80332200u | static_cast<ColorValue>(r.red));
    EXPECT_TRUE(s.picker.flags.rederive && s.picker.flags.hue_bar && s.picker.flags.canvas);
    UpdateWidgets(s);  // the field being edited keeps the typed text
    EXPECT_EQ(s.channel_text[0], r.text);
    s.requests.clear();
    OnChannelFocusLost(s, Channel::kRed);
    ASSERT_EQ(Kinds(s), std::vector<RK>{RK::kSetChannelText});
    EXPECT_EQ(s.requests[0].channel, Channel::kRed);
    EXPECT_EQ(s.requests[0].text, r.shown);
    EXPECT_EQ(s.channel_text[0], r.shown);
    EXPECT_EQ(s.focus, WidgetId::kNone);
  }
}

TEST(InteractionChannelField, DragOnGreenMovesFocusAndTheRedFieldCatchesUp) {
  InteractionState s = Quiet(0, 0);
  OnFocusGained(s, WidgetId::kRedField);
  OnChannelTextChanged(s, Channel::kRed, "300");
  OnButtonDown(s, 100, 305);  // green strip
  EXPECT_EQ(s.requests.back().kind, RK::kFocusOkButton);
  EXPECT_EQ(s.focus, WidgetId::kOkButton);
  OnChannelFocusLost(s, Channel::kRed);  // raised by the focus move
  EXPECT_EQ(s.channel_text[0], "255");
  EXPECT_EQ(s.picker.current, ComposeColor(255, 56, 0));
}

TEST(InteractionWidgets, UpdateWritesOnlyWhatDiffers) {
  InteractionState s = Quiet(0x800000FF, 1);  // pure red, alpha 128
  UpdateWidgets(s);
  ASSERT_EQ(s.requests.size(), 5u);
  const char* texts[] = {"255", "0", "0", "128"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.requests[i].kind, RK::kSetChannelText);
    EXPECT_EQ(static_cast<int>(s.requests[i].channel), i);
    EXPECT_EQ(s.requests[i].text, texts[i]);
  }
  EXPECT_EQ(s.requests[4].kind, RK::kSelectPreset);
  EXPECT_EQ(s.requests[4].preset_index, 12);  // pure red, alpha ignored
  s.requests.clear();
  UpdateWidgets(s);
  EXPECT_TRUE(s.requests.empty());

  s.picker.current = 0x00010203;  // no preset; green field has the focus
  OnFocusGained(s, WidgetId::kGreenField);
  UpdateWidgets(s);
  ASSERT_EQ(s.requests.size(), 4u);
  EXPECT_EQ(s.requests[0].text, "3");
  EXPECT_EQ(s.requests[1].text, "1");  // blue; green is skipped
  EXPECT_EQ(s.requests[2].text, "0");
  EXPECT_EQ(s.requests[3].preset_index, -1);
  EXPECT_EQ(s.channel_text[1], "0");  // left as it was

  InteractionState n = Quiet(0xFF000000, 0);  // no alpha field without the flag
  UpdateWidgets(n);
  EXPECT_EQ(n.requests.size(), 4u);  // three texts and preset 0 (black)
  EXPECT_EQ(n.combo_index, 0);
}

TEST(InteractionPreset, KeepsAlphaAndBoundsTheIndex) {
  InteractionState s = Quiet(0x80010203, 1);
  OnPresetEvent(s, PresetEventKind::kSelectionChanged, 92);  // (255, 224, 192)
  EXPECT_EQ(s.picker.current, 0x80C0E0FFu);
  EXPECT_TRUE(s.picker.flags.rederive && s.picker.flags.hue_bar && s.picker.flags.canvas);
  for (int index : {-1, 93, -2147483647 - 1}) {
    s.picker.flags = {};
    OnPresetEvent(s, PresetEventKind::kSelectionChanged, index);
    EXPECT_EQ(s.picker.current, 0x80C0E0FFu);
    EXPECT_FALSE(s.picker.flags.rederive);
  }
}

TEST(InteractionPreset, FocusEventsActOnlyWhenThePresetDiffers) {
  struct Row {
    PresetEventKind kind;
    ColorValue current;
    bool acts;
  } rows[] = {
      {PresetEventKind::kSelectionChanged, 0x330000FF, true},  // same colour: still acts
      {PresetEventKind::kSelectionChanged, 0x33000001, true},
      {PresetEventKind::kFocusGained, 0x330000FF, false},  // same red, green, blue
      {PresetEventKind::kFocusLost, 0x110000FF, false},    // alpha differs only
      {PresetEventKind::kFocusGained, 0x33000001, true},
      {PresetEventKind::kFocusLost, 0x33000100, true},
  };
  for (const Row& r : rows) {
    InteractionState s = Quiet(r.current, 1);
    OnPresetEvent(s, r.kind, 12);  // pure red
    EXPECT_EQ(s.picker.flags.rederive, r.acts);
    EXPECT_EQ(s.picker.current, r.acts ? ((r.current & 0xFF000000u) | 0xFFu) : r.current);
  }
}

TEST(InteractionPreset, PressRightAfterChoosingAPresetIsKept) {
  // Field press: the colour changes only later, so the focus loss sees the preset.
  InteractionState s = Quiet(0, 0);
  OnPresetEvent(s, PresetEventKind::kFocusGained, -1);
  OnPresetEvent(s, PresetEventKind::kSelectionChanged, 12);
  s.picker.flags = {};
  OnButtonDown(s, 100, 100);
  OnPresetEvent(s, PresetEventKind::kFocusLost, s.combo_index);
  EXPECT_FALSE(s.picker.flags.rederive);
  EXPECT_EQ(s.picker.field_x, 56);

  // Strip press: the combo is cleared before the focus leaves it.
  InteractionState t = Quiet(0, 0);
  OnPresetEvent(t, PresetEventKind::kFocusGained, -1);
  OnPresetEvent(t, PresetEventKind::kSelectionChanged, 12);
  OnButtonDown(t, 100, 305);  // green 56
  EXPECT_EQ(Kinds(t),
            (std::vector<RK>{RK::kHidePointer, RK::kSaveAndConfinePointer, RK::kCapturePointer,
                             RK::kSelectPreset, RK::kFocusOkButton}));
  OnPresetEvent(t, PresetEventKind::kFocusLost, t.combo_index);
  EXPECT_EQ(t.picker.current, ComposeColor(255, 56, 0));
}

TEST(InteractionEnd, ResultByHowTheDialogEnds) {
  InteractionState ok = Quiet(0x11223344, 0);
  OnChannelTextChanged(ok, Channel::kBlue, "0");
  Click(ok, 330, 20);                            // store
  OnChannelTextChanged(ok, Channel::kRed, "1");  // stored now differs
  OnButton(ok, WidgetId::kOkButton);
  EXPECT_TRUE(ok.quit);
  EXPECT_TRUE(ok.confirmed);
  EXPECT_EQ(ok.result, 0x11003301u);

  InteractionState cancel = Quiet(0x11223344, 0);
  OnChannelTextChanged(cancel, Channel::kRed, "1");
  OnButton(cancel, WidgetId::kCancelButton);
  EXPECT_TRUE(cancel.quit);
  EXPECT_FALSE(cancel.confirmed);
  EXPECT_EQ(cancel.result, 0x11223344u);

  InteractionState close = Quiet(0x11223344, 0);
  OnPresetEvent(close, PresetEventKind::kSelectionChanged, 8);
  OnCloseRequest(close);
  EXPECT_TRUE(close.quit);
  EXPECT_EQ(close.result, 0x11223344u);
  OnButton(close, WidgetId::kOkButton);  // dropped once the dialog ends
  EXPECT_EQ(close.result, 0x11223344u);
  EXPECT_FALSE(close.confirmed);
}

TEST(InteractionEnd, DialogKeysEndOnlyWithTheOption) {
  struct Row {
    const char* name;
    bool dialog_keys;
    DialogKey key;
    bool list_open;
    bool taken;
    bool quit;
    bool confirmed;
    ColorValue result;  // from initial 0x11223344 with red typed as 1
  } rows[] = {
      // Enter confirms with the colour as edited, Escape gives the initial one.
      {"Enter", true, DialogKey::kEnter, false, true, true, true, 0x11223301},
      {"Escape", true, DialogKey::kEscape, false, true, true, false, 0x11223344},
      // The preset list dropped takes the key itself: the dialog stays.
      {"Enter in the open list", true, DialogKey::kEnter, true, false, false, false, 0x11223344},
      {"Escape in the open list", true, DialogKey::kEscape, true, false, false, false, 0x11223344},
      // The classic dialog leaves both keys to the widget.
      {"classic Enter", false, DialogKey::kEnter, false, false, false, false, 0x11223344},
      {"classic Escape", false, DialogKey::kEscape, false, false, false, false, 0x11223344},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    InteractionState s = StartInteraction(0x11223344, 0, r.dialog_keys);
    OnChannelTextChanged(s, Channel::kRed, "1");
    EXPECT_EQ(OnDialogKey(s, r.key, r.list_open), r.taken);
    EXPECT_EQ(s.quit, r.quit);
    EXPECT_EQ(s.confirmed, r.confirmed);
    EXPECT_EQ(s.result, r.result);
  }
}

TEST(InteractionEnd, DialogKeysAfterTheEndChangeNothing) {
  InteractionState s = StartInteraction(0x11223344, 1, true);
  EXPECT_EQ(FirstFocus(s), WidgetId::kOkButton);  // the first focus shows what Enter does
  EXPECT_EQ(FirstFocus(StartInteraction(0, 1)), WidgetId::kPresetCombo);
  OnChannelTextChanged(s, Channel::kAlpha, "0");
  EXPECT_TRUE(OnDialogKey(s, DialogKey::kEscape, false));
  EXPECT_TRUE(OnDialogKey(s, DialogKey::kEnter, false));  // taken, but the end stands
  EXPECT_FALSE(s.confirmed);
  EXPECT_EQ(s.result, 0x11223344u);
}

TEST(InteractionEnd, EndingDuringADragFreesThePointer) {
  const std::vector<RK> freed{RK::kShowPointer, RK::kRestoreConfinement,
                              RK::kReleasePointerCapture};
  for (int how = 0; how < 4; ++how) {
    SCOPED_TRACE(how);
    InteractionState s = Quiet(0, 0);
    OnButtonDown(s, 20, 100);  // hue bar
    s.requests.clear();
    s.picker.flags = {};
    if (how == 0) OnButton(s, WidgetId::kOkButton);
    if (how == 1) OnCloseRequest(s);
    if (how == 2) EndDragForClose(s);
    if (how == 3) OnPointerCaptureLost(s);  // the system took the capture: nothing to release
    std::vector<RK> expected = freed;
    if (how == 3) expected.pop_back();
    if (how < 2) expected.push_back(RK::kEndDialog);  // once, after the pointer is free
    EXPECT_EQ(Kinds(s), expected);
    EXPECT_EQ(s.picker.drag, Drag::kNone);
    EXPECT_FALSE(s.pointer_captured);
    EXPECT_TRUE(s.picker.flags.hue_bar && s.picker.flags.canvas);  // as a release ends it
    s.requests.clear();
    EndDragForClose(s);  // nothing left to give back
    OnPointerCaptureLost(s);
    EXPECT_TRUE(s.requests.empty());
    if (how < 2) {
      OnButtonDown(s, 100, 100);  // after the end: no pointer hidden again
      EXPECT_TRUE(s.requests.empty());
    }
  }
}

TEST(InteractionEyedropper, PickKeepsAlphaAndNothingChangesNothing) {
  InteractionState s = Quiet(0x5A000000, 0);
  OnButtonDown(s, 100, 100);  // a drag ends before the eyedropper runs
  s.requests.clear();
  OnButton(s, WidgetId::kEyedropperButton);
  EXPECT_EQ(Kinds(s), (std::vector<RK>{RK::kShowPointer, RK::kRestoreConfinement,
                                       RK::kReleasePointerCapture, RK::kRunEyedropper}));
  s.picker.flags = {};
  OnEyedropperResult(s, false, 0x00FFFFFF);
  EXPECT_EQ(s.picker.current, 0x5A000000u);
  EXPECT_FALSE(s.picker.flags.rederive);
  OnEyedropperResult(s, true, 0xFF112233);
  EXPECT_EQ(s.picker.current, 0x5A112233u);
  EXPECT_TRUE(s.picker.flags.rederive && s.picker.flags.hue_bar && s.picker.flags.canvas);
  // The next run starts from the colour the last one left, picked or not.
  EXPECT_EQ(s.requests.back().color, 0u);  // black the first time
  OnEyedropperResult(s, false, 0xFF445566);
  s.requests.clear();
  OnButton(s, WidgetId::kEyedropperButton);
  EXPECT_EQ(s.requests.back().color, 0x445566u);
}

TEST(InteractionChannelField, KeysTypeDigitsOnly) {
  const struct {
    const char* typed;
    bool command;
    bool taken;
  } rows[] = {{"7", false, true},         {"a", false, false}, {"-", false, false},
              {"\xC3\xA9", false, false},  // a non-ASCII letter
              {"", false, true},          {"\b", false, true}, {"\x7F", false, true},
              {"v", true, true}};  // Ctrl+V: a shortcut, the paste is read whole
  for (const auto& r : rows) {
    SCOPED_TRACE(r.typed);
    EXPECT_EQ(ChannelFieldTakesKey(r.typed, r.command), r.taken);
  }
}

TEST(InteractionAlpha, FlagZeroKeepsTheAlphaByteThroughEveryChange) {
  InteractionState s = StartInteraction(0x7F123456, 0);
  OnButtonDown(s, 100, 285);
  OnPointerMove(s, 2000, 285);
  OnButtonUp(s, 2000, 285);
  Click(s, 100, 305);
  Click(s, 100, 327);
  OnButtonDown(s, 100, 350);  // no alpha strip
  OnChannelTextChanged(s, Channel::kGreen, "999");
  OnChannelTextChanged(s, Channel::kAlpha, "0");  // no alpha field
  OnChannelFocusLost(s, Channel::kAlpha);
  OnPresetEvent(s, PresetEventKind::kSelectionChanged, 30);
  OnEyedropperResult(s, true, 0x00ABCDEF);
  Click(s, 330, 20);
  Click(s, 330, 60);
  OnButton(s, WidgetId::kOkButton);
  EXPECT_EQ(s.result, 0x7FABCDEFu);
  EXPECT_EQ(s.channel_text[3], "");
}

TEST(InteractionWidgets, TemplateFieldIdentifiersStay16Bit) {
  EXPECT_EQ(TemplateFieldWidget(0), WidgetId::kFirstTemplateField);
  EXPECT_EQ(static_cast<int>(TemplateFieldWidget(2)),
            static_cast<int>(WidgetId::kFirstTemplateField) + 2);
  EXPECT_EQ(static_cast<int>(TemplateFieldWidget(2147483647)), 0xFFFF);
  EXPECT_EQ(TemplateFieldWidget(-5), WidgetId::kFirstTemplateField);
}

}  // namespace
}  // namespace tintra
