#include "picker/dialog_widgets_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "picker/bitmaps_win32.h"
#include "picker/embedded_images.h"
#include "picker/interaction.h"
#include "picker/presets.h"
#include "picker/render.h"

namespace tintra {

namespace {

HMENU AsMenuId(WidgetId id) {
  return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

HWND CreateChild(HWND dialog, DWORD ex_style, const char* window_class, const char* text,
                 DWORD style, const PixelRect& r, WidgetId id, HFONT font) {
  HWND child =
      CreateWindowExA(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, r.x, r.y,
                      r.width, r.height, dialog, AsMenuId(id), GetModuleHandleA(nullptr), nullptr);
  if (child != nullptr) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// The combo's window covers its dropped list too.
PixelRect PresetComboWindow(const DialogLayout& l) {
  const PixelRect& r = l.preset_combo.physical;
  return {r.x, r.y, r.width, l.preset_list_height};
}

// The closed box gets the layout's height: the selection box inside it is
// that less the combo's border, which the system draws at its own width,
// so the box is measured and set once more where it came out otherwise.
void SizePresetCombo(HWND combo, const DialogLayout& l) {
  const int wanted = l.preset_combo.physical.height;
  int selection = l.preset_selection_height;
  SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), selection);
  RECT box{};
  if (GetWindowRect(combo, &box) && box.bottom - box.top != wanted) {
    selection += wanted - static_cast<int>(box.bottom - box.top);
    SendMessageA(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(selection, 1));
  }
  SendMessageA(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(l.preset_list_width), 0);
}

HWND CreatePresetCombo(HWND dialog, const DialogLayout& l, const WidgetImages& images) {
  HWND combo =
      CreateChild(dialog, 0, WC_COMBOBOXEXA, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                  PresetComboWindow(l), WidgetId::kPresetCombo, images.font.font);
  if (combo == nullptr) return nullptr;
  SendMessageA(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.preset_swatches.get()));
  SendMessageA(combo, WM_SETREDRAW, FALSE, 0);  // one redraw after all items
  for (int i = 0; i < kPresetCount; ++i) {
    char text[2] = {PresetAt(i).main_mark ? '-' : ' ', '\0'};
    COMBOBOXEXITEMA item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = i;
    item.pszText = text;
    item.iImage = i;
    item.iSelectedImage = i;
    SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
  SizePresetCombo(combo, l);
  return combo;
}

// The text of a BS_ICON button is not drawn: it is the button's name for
// assistive tools.
HWND CreateImageButton(HWND dialog, const LaidRect& r, WidgetId id, HICON face, HFONT font,
                       const char* name) {
  HWND button = CreateChild(dialog, 0, "BUTTON", name, WS_TABSTOP | BS_PUSHBUTTON | BS_ICON,
                            r.physical, id, font);
  if (button != nullptr && face != nullptr) {
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(face));
  }
  return button;
}

// A tooltip owned by the dialog (so destroyed with it) with one tool per
// image button; topmost, as the dialog is, or it would show under it.
HWND CreateButtonTips(HWND dialog, const ButtonTips& tips, const DialogWidgets& widgets) {
  HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  if (tooltip == nullptr) return nullptr;
  const struct {
    HWND button;
    const char* text;
  } tools[] = {{widgets.eyedropper_button, tips.eyedropper},
               {widgets.ok_button, tips.ok},
               {widgets.cancel_button, tips.cancel}};
  for (const auto& t : tools) {
    if (t.button == nullptr) continue;
    // The version-1 size: understood by every common controls version.
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(t.button);
    tool.lpszText = const_cast<char*>(t.text);  // copied by the control
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tooltip;
}

}  // namespace

OwnedIcon MakeIconFromImage(const Image& image) {
  if (!IsDrawable(image)) return OwnedIcon();
  void* bits = nullptr;
  const OwnedBitmap color = CreateTopDownDib(image.width, image.height, 32, bits);
  if (color.get() == nullptr) return OwnedIcon();
  auto* out = static_cast<std::uint32_t*>(bits);
  const std::size_t count =
      static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  for (std::size_t i = 0; i < count; ++i) {
    // A 24-bit image has no alpha of its own: it is opaque.
    const ColorValue c = image.bits == 32 ? image.pixels[i] : (image.pixels[i] | kAlphaMask);
    out[i] = SwapRedBlue(c);
  }
  GdiFlush();
  // An all-zero AND mask: the colour bitmap's alpha alone decides coverage.
  const int mask_stride = ((image.width + 15) / 16) * 2;  // bytes, word-aligned rows
  std::string mask_bits(static_cast<std::size_t>(mask_stride) * image.height, '\0');
  const OwnedBitmap mask(CreateBitmap(image.width, image.height, 1, 1, mask_bits.data()));
  if (mask.get() == nullptr) return OwnedIcon();
  ICONINFO icon{};
  icon.fIcon = TRUE;
  icon.hbmMask = mask.get();
  icon.hbmColor = color.get();
  return OwnedIcon(CreateIconIndirect(&icon));  // copies both bitmaps
}

OwnedBitmap MakeBitmap24(const Image& image) {
  if (!IsDrawable(image)) return OwnedBitmap();
  void* bits = nullptr;
  OwnedBitmap bitmap = CreateTopDownDib(image.width, image.height, 24, bits);
  if (bitmap.get() == nullptr) return bitmap;
  const std::size_t stride = DibStride(image.width, 24);
  auto* rows = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = rows + stride * static_cast<std::size_t>(y);
    for (int x = 0; x < image.width; ++x) {
      const ColorValue c = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      row[3 * x + 0] = static_cast<std::uint8_t>(BlueOf(c));
      row[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(c));
      row[3 * x + 2] = static_cast<std::uint8_t>(RedOf(c));
    }
  }
  GdiFlush();
  return bitmap;
}

void BuildWidgetImages(WidgetImages& images, const DialogLayout& l) {
  MakeGuiFont(images.font, l.dpi);
  images.ok_face =
      MakeIconFromImage(LoadEmbeddedImage(EmbeddedImage::kConfirm, l.button_face_size));
  images.cancel_face =
      MakeIconFromImage(LoadEmbeddedImage(EmbeddedImage::kCancel, l.cancel_face_size));
  images.eyedropper_face =
      MakeIconFromImage(LoadEmbeddedImage(EmbeddedImage::kEyedropper, l.button_face_size));

  const int size = l.preset_swatch_size;
  images.preset_swatches.reset(ImageList_Create(size, size, ILC_COLOR24, kPresetCount, 0));
  if (images.preset_swatches.get() == nullptr) return;
  // All swatches side by side in one bitmap: the list cuts it into its
  // square images in one call.
  Image strip = CreateImage(size * kPresetCount, size, 24);
  for (int i = 0; i < kPresetCount; ++i) {
    DrawImage(strip, MakePresetSwatch(PresetAt(i).color, size), size * i, 0);
  }
  const OwnedBitmap swatches = MakeBitmap24(strip);
  ImageList_Add(images.preset_swatches.get(), swatches.get(), nullptr);  // copies the bitmap
}

void CreateDialogWidgets(HWND dialog, const PickerSession& session, const WidgetImages& images,
                         DialogWidgets& widgets) {
  widgets = DialogWidgets{};
  const DialogLayout& l = session.layout;
  const HFONT font = images.font.font;
  auto focusable = [&widgets](HWND w) {
    if (w != nullptr) widgets.focus_order.push_back(w);
    return w;
  };

  widgets.preset_combo = focusable(CreatePresetCombo(dialog, l, images));

  const int channel_count = session.ui.picker.alpha_flag != 0 ? 4 : 3;
  for (int c = 0; c < channel_count; ++c) {
    const WidgetId id = ChannelFieldWidget(static_cast<Channel>(c));
    widgets.channel_fields[static_cast<std::size_t>(c)] = focusable(
        CreateChild(dialog, WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
                    l.channel_fields[static_cast<std::size_t>(c)].physical, id, font));
  }

  const ButtonTips& tips = session.tips;
  widgets.ok_button = focusable(CreateImageButton(dialog, l.ok_button, WidgetId::kOkButton,
                                                  images.ok_face.get(), font, tips.ok));
  widgets.cancel_button =
      focusable(CreateImageButton(dialog, l.cancel_button, WidgetId::kCancelButton,
                                  images.cancel_face.get(), font, tips.cancel));
  widgets.eyedropper_button =
      focusable(CreateImageButton(dialog, l.eyedropper_button, WidgetId::kEyedropperButton,
                                  images.eyedropper_face.get(), font, tips.eyedropper));
  widgets.tooltip = CreateButtonTips(dialog, tips, widgets);

  const std::vector<TemplateField>& fields = session.descriptor.fields;
  widgets.template_fields.reserve(fields.size());
  for (std::size_t i = 0; i < fields.size() && i < l.template_fields.size(); ++i) {
    const TemplateField& field = fields[i];
    const PixelRect& place = l.template_fields[i].physical;
    const WidgetId id = TemplateFieldWidget(static_cast<int>(i));
    HWND widget = nullptr;
    if (field.placeholder_count > 0) {
      // Read-only: the text can be selected and copied, never edited.
      widget = focusable(CreateChild(dialog, WS_EX_CLIENTEDGE, "EDIT", "",
                                     WS_TABSTOP | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL, place,
                                     id, font));
    } else {
      // The caption as written: "&" is not a mnemonic.
      widget = CreateChild(dialog, 0, "STATIC", field.text.c_str(),
                           SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, place, id, font);
    }
    widgets.template_fields.push_back(widget);
  }
}

void PlaceDialogWidgets(const PickerSession& session, const WidgetImages& images,
                        const DialogWidgets& widgets) {
  const DialogLayout& l = session.layout;
  const auto font = reinterpret_cast<WPARAM>(images.font.font);
  auto place = [&](HWND w, const PixelRect& r) {
    if (w == nullptr) return;
    SendMessageA(w, WM_SETFONT, font, FALSE);
    SetWindowPos(w, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  if (widgets.preset_combo != nullptr) {
    SendMessageA(widgets.preset_combo, CBEM_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(images.preset_swatches.get()));
    place(widgets.preset_combo, PresetComboWindow(l));
    SizePresetCombo(widgets.preset_combo, l);
  }
  for (std::size_t c = 0; c < widgets.channel_fields.size(); ++c) {
    place(widgets.channel_fields[c], l.channel_fields[c].physical);
  }
  const struct {
    HWND button;
    const LaidRect& rect;
    HICON face;
  } buttons[] = {{widgets.ok_button, l.ok_button, images.ok_face.get()},
                 {widgets.cancel_button, l.cancel_button, images.cancel_face.get()},
                 {widgets.eyedropper_button, l.eyedropper_button, images.eyedropper_face.get()}};
  for (const auto& b : buttons) {
    place(b.button, b.rect.physical);
    if (b.button != nullptr) {
      SendMessageA(b.button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(b.face));
    }
  }
  for (std::size_t i = 0; i < widgets.template_fields.size() && i < l.template_fields.size(); ++i) {
    place(widgets.template_fields[i], l.template_fields[i].physical);
  }
}

bool IsEditWidget(HWND window) {
  char name[8] = {};
  return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpiA(name, "Edit") == 0;
}

std::string WindowText(HWND window) {
  const int length = std::max(GetWindowTextLengthA(window), 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace tintra
