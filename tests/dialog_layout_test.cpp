// The dialog's layout at the display scales users run (100 % to 250 %):
// sizes scaled once, nothing laid over a press area, every physical pixel
// of a press area mapping to the logical position under it, and the canvas
// drawn at the scale giving the colours of the 96-DPI dialog.
#include "picker/dialog_layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "colortext/format_chooser.h"
#include "picker/picker_session.h"

namespace tintra {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192, 240};  // 100 %, 125 %, 150 %, 200 %, 250 %
constexpr const char* kDescriptor = "Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

std::string Text(const PixelRect& r) {
  return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) +
         ", " + std::to_string(r.height) + ")";
}

// The descriptor edge cases: no rows, the front-ends' two rows, an empty
// row, seven fields in a row.
const char* const kDescriptors[] = {"Title only", kDescriptor, "Trailing\n",
                                    "Seven\nA\tB\tC\tD\tE\t?r\t?g"};

TEST(DialogLayout, ClientSizeIsTheScaledLogicalSize) {
  struct Case {
    int dpi;
    int alpha_flag;
    const char* descriptor;
    int width, height;  // physical
  };
  const Case cases[] = {
      {96, 0, kDescriptor, 372, 402},    {96, 1, kDescriptor, 372, 424},
      {96, 0, "Title only", 372, 346},   {120, 0, kDescriptor, 465, 503},  // 502.5 rounds up
      {144, 0, kDescriptor, 558, 603},   {144, 1, "Title only", 558, 552},
      {192, 0, kDescriptor, 744, 804},   {192, 1, kDescriptor, 744, 848},
      {240, 1, "Trailing\n", 930, 1005},  // 402 * 2.5
      {48, 0, kDescriptor, 372, 402},     // below 96 DPI: never smaller
  };
  for (const Case& c : cases) {
    PickerSession session;
    OpenSession(session, 0, c.descriptor, c.alpha_flag, 0, c.dpi);
    const DialogLayout& l = session.layout;
    SCOPED_TRACE(std::to_string(c.dpi) + " DPI, alpha " + std::to_string(c.alpha_flag));
    EXPECT_EQ(l.client.physical.width, c.width);
    EXPECT_EQ(l.client.physical.height, c.height);
    EXPECT_EQ(session.images.canvas.width, c.width);
    EXPECT_EQ(session.images.canvas.height, ToPhysical(346 + 22 * c.alpha_flag, l.dpi));
  }
}

// At 200 % every edge doubles; at 100 % physical is logical.
TEST(DialogLayout, WholeScalesMultiplyEveryRectangle) {
  for (int alpha : {0, 1}) {
    PickerSession session;
    OpenSession(session, 0, kDescriptor, alpha, 0, 192);
    const DialogLayout& l = session.layout;
    const DialogLayout& base = LogicalLayout(alpha);
    std::vector<const LaidRect*> all = {
        &l.client,       &l.canvas,       &l.hue_bar,   &l.field,         &l.upper_swatch,
        &l.lower_swatch, &l.preset_combo, &l.ok_button, &l.cancel_button, &l.eyedropper_button};
    for (const LaidRect& r : l.strips) all.push_back(&r);
    for (const LaidRect& r : l.template_fields) all.push_back(&r);
    for (const LaidRect* r : all) {
      const PixelRect& g = r->logical;
      EXPECT_EQ(Text(r->physical), Text({2 * g.x, 2 * g.y, 2 * g.width, 2 * g.height}));
    }
    EXPECT_EQ(l.line, 2);
    EXPECT_EQ(Text(l.field.logical), Text(base.field.logical));
    EXPECT_EQ(Text(base.field.physical), "(44, 12, 256, 256)");
    EXPECT_EQ(Text(l.template_fields[3].physical), Text({374, 736 + 44 * alpha, 346, 40}));
    EXPECT_EQ(Text(FieldMarkerRect(l, 0, 0)), Text({88 - 14, 24 - 14, 30, 30}));
    EXPECT_EQ(Text(StripMarkerRect(l, 0, 255)), Text({88 + 510 - 2, 560 - 6, 6, 32}));
    EXPECT_EQ(Text(HueMarkerRect(base, 160)), Text({9, 171, 26, 3}));
  }
}

TEST(DialogLayout, NoWidgetOverlapsAPressAreaOrASwatch) {
  for (int dpi : kDpis) {
    for (int alpha : {0, 1}) {
      for (const char* descriptor : kDescriptors) {
        PickerSession session;
        OpenSession(session, 0, descriptor, alpha, 0, dpi);
        const DialogLayout& l = session.layout;
        std::vector<PixelRect> widgets = {l.preset_combo.physical, l.ok_button.physical,
                                          l.cancel_button.physical, l.eyedropper_button.physical};
        for (int c = 0; c < l.strip_count; ++c) widgets.push_back(l.channel_fields[c].physical);
        for (const LaidRect& f : l.template_fields) widgets.push_back(f.physical);
        std::vector<PixelRect> areas = {l.upper_swatch.physical, l.lower_swatch.physical};
        for (int i = 0; i < l.press_area_count; ++i)
          areas.push_back(l.press_areas[i].rect.physical);
        for (const PixelRect& w : widgets) {
          EXPECT_LE(w.right(), l.client.physical.width) << dpi << " DPI: " << Text(w);
          EXPECT_LE(w.bottom(), l.client.physical.height) << dpi << " DPI: " << Text(w);
          for (const PixelRect& a : areas) {
            EXPECT_FALSE(Overlap(w, a)) << dpi << " DPI, alpha " << alpha << ", " << descriptor
                                        << ": widget " << Text(w) << " over " << Text(a);
          }
        }
      }
    }
  }
}

// Along each edge of each press area: the first and last physical pixel map
// to the first and last logical position, the pixels just outside map
// outside, and no logical position between is skipped.
TEST(DialogLayout, PhysicalPixelsMapToTheLogicalPositionUnderThem) {
  for (int dpi : kDpis) {
    for (int alpha : {0, 1}) {
      const DialogLayout l = MakeDialogLayout(alpha, 0, dpi);
      for (int i = 0; i < l.press_area_count; ++i) {
        const PixelRect& p = l.press_areas[i].rect.physical;
        const PixelRect& g = l.press_areas[i].rect.logical;
        SCOPED_TRACE(std::to_string(dpi) + " DPI, area " + Text(g));
        EXPECT_EQ(ToLogical(p.x, dpi), g.x);
        EXPECT_EQ(ToLogical(p.right() - 1, dpi), g.right() - 1);
        EXPECT_LT(ToLogical(p.x - 1, dpi), g.x);
        EXPECT_EQ(ToLogical(p.right(), dpi), g.right());
        EXPECT_EQ(ToLogical(p.y, dpi), g.y);
        EXPECT_EQ(ToLogical(p.bottom() - 1, dpi), g.bottom() - 1);
        EXPECT_LT(ToLogical(p.y - 1, dpi), g.y);
        EXPECT_EQ(ToLogical(p.bottom(), dpi), g.bottom());
        for (int x = p.x + 1; x < p.right(); ++x) {
          const int step = ToLogical(x, dpi) - ToLogical(x - 1, dpi);
          ASSERT_TRUE(step == 0 || step == 1) << "at physical x " << x;
        }
        // Each pixel lies in the physical span of its logical position.
        for (int y = p.y - 1; y <= p.bottom(); ++y) {
          const PhysicalSpan span = SpanOf(ToLogical(y, dpi), dpi);
          ASSERT_TRUE(span.first <= y && y < span.last) << "at physical y " << y;
        }
      }
    }
  }
}

// The same logical position gives the same colour at every scale: the
// read-back of a field drag, and the channel under a strip's pixel.
TEST(DialogLayout, ScaledCanvasPicksTheColorsOf96Dpi) {
  const ColorValue hues[] = {0x0000FFu, 0xFF8000u, 0x00FFFFu};
  auto open = [](int dpi) {
    auto s = std::make_unique<PickerSession>();
    OpenSession(*s, 0xFF0000FFu, kDescriptor, 1, 0xF0F0F0u, dpi);
    RefreshSession(*s);
    s->ui.picker.drag = Drag::kField;
    return s;
  };
  auto base = open(96);
  for (int dpi : {120, 144, 192, 240}) {
    auto scaled = open(dpi);
    for (ColorValue hue : hues) {
      for (const int xy : {0, 1, 127, 200, 255}) {
        for (PickerSession* s : {base.get(), scaled.get()}) {
          s->ui.picker.hue = hue;
          s->ui.picker.field_x = xy;
          s->ui.picker.field_y = 255 - xy / 2;
          s->ui.picker.flags.canvas = true;
          RefreshSession(*s);
        }
        EXPECT_EQ(scaled->ui.picker.current, base->ui.picker.current)
            << dpi << " DPI, hue " << hue << " at " << xy;
      }
    }
    const DialogImages& images = scaled->images;
    const PixelRect& red = images.layout.strips[0].physical;
    for (int x = 0; x < red.width; ++x) {
      const int value = ToLogical(red.x + x, dpi) - 44;
      ASSERT_EQ(PixelAt(images.red_strip, x, red.height - 1), 0xFF000000u | value)
          << dpi << " DPI, column " << x;
    }
    // The smooth field at its corners: white, the hue, and black along the
    // bottom row.
    const Image& canvas = images.canvas;
    const PixelRect& f = images.layout.field.physical;
    scaled->ui.picker.hue = 0x0000FFu;
    scaled->ui.picker.flags.canvas = true;
    RefreshSession(*scaled);
    EXPECT_EQ(PixelAt(canvas, f.x, f.y), 0xFFFFFFFFu) << dpi;
    EXPECT_EQ(PixelAt(canvas, f.right() - 1, f.y), 0xFF0000FFu) << dpi;
    EXPECT_EQ(PixelAt(canvas, f.x + f.width / 2, f.bottom() - 1), 0xFF000000u) << dpi;
  }
}

// Moved to a monitor of another DPI mid-drag: the same colour, the same
// marker row, the bar still read where it was drawn.
TEST(DialogLayout, RescaledSessionKeepsItsState) {
  PickerSession s;
  OpenSession(s, 0xFF2A7FD4u, kDescriptor, 0, 0xF0F0F0u, 96);
  RefreshSession(s);
  OnButtonDown(s.ui, 20, 100);  // a hue-bar drag, logical
  RefreshSession(s);
  const PickerState before = s.ui.picker;
  RescaleSession(s, 144);
  EXPECT_EQ(s.layout.dpi, 144);
  EXPECT_EQ(s.images.canvas.width, 558);
  RefreshSession(s);
  EXPECT_EQ(s.ui.picker.current, before.current);
  EXPECT_EQ(s.ui.picker.hue, before.hue);
  EXPECT_EQ(s.ui.picker.marker_row, before.marker_row);
  EXPECT_EQ(s.ui.picker.drag, Drag::kHueBar);
  EXPECT_EQ(s.field_texts[3], "RGB(" + std::to_string(before.current & 0xFF) + ", " +
                                  std::to_string((before.current >> 8) & 0xFF) + ", " +
                                  std::to_string((before.current >> 16) & 0xFF) + ")");
}

TEST(FormatChooserLayout, ScaledButtonsStackWithoutGaps) {
  for (int dpi : kDpis) {
    const ChooserLayout layout = LayoutFormatChooser(1, dpi);
    EXPECT_EQ(layout.client_width, ToPhysical(200, dpi));
    EXPECT_EQ(layout.client_height, ToPhysical(104, dpi));
    for (int i = 0; i < layout.button_count; ++i) {
      const ChooserButton& b = layout.buttons[i];
      EXPECT_EQ(b.y, i == 0 ? ToPhysical(4, dpi)
                            : layout.buttons[i - 1].y + layout.buttons[i - 1].height);
      EXPECT_EQ(b.x + b.width, layout.client_width - ToPhysical(4, dpi));
    }
  }
  EXPECT_EQ(LayoutFormatChooser(0, 192).buttons[2].y, 104);
}

}  // namespace
}  // namespace tintra
