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

// The image buttons' index in WidgetImages::faces.
std::size_t ButtonIndex(WidgetId id) {
  return static_cast<std::size_t>(static_cast<int>(id) - static_cast<int>(WidgetId::kOkButton));
}

void BuildWidgetImages(WidgetImages& images, const PickerSession& session) {
  const DialogLayout& l = session.layout;
  MakeGuiFont(images.font, l.dpi);
  for (const PlannedWidget& w : PlanDialogWidgets(session)) {
    if (w.kind == WidgetKind::kImageButton) {
      images.faces[ButtonIndex(w.id)] = MakeIconFromImage(LoadEmbeddedImage(w.face, w.face_size));
    }
  }

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
  widgets.plan = PlanDialogWidgets(session);
  for (const PlannedWidget& w : widgets.plan) {
    HWND widget = nullptr;
    switch (w.kind) {
      case WidgetKind::kPresetCombo:
        widget = widgets.preset_combo = CreatePresetCombo(dialog, l, images);
        break;
      case WidgetKind::kChannelField:
        widget = widgets.channel_fields[static_cast<std::size_t>(ChannelOfWidget(w.id))] =
            CreateChild(dialog, WS_EX_CLIENTEDGE, "EDIT", "",
                        WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, w.place.physical, w.id, font);
        break;
      case WidgetKind::kImageButton:
        widget = CreateImageButton(dialog, w.place, w.id, images.faces[ButtonIndex(w.id)].get(),
                                   font, w.tip);
        (w.id == WidgetId::kOkButton       ? widgets.ok_button
         : w.id == WidgetId::kCancelButton ? widgets.cancel_button
                                           : widgets.eyedropper_button) = widget;
        break;
      case WidgetKind::kOutputField:
        // Read-only: the text can be selected and copied, never edited.
        widget = CreateChild(dialog, WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_TABSTOP | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL,
                             w.place.physical, w.id, font);
        break;
      case WidgetKind::kCaption:
        // The caption as written: "&" is not a mnemonic.
        widget = CreateChild(
            dialog, 0, "STATIC", session.field_texts[static_cast<std::size_t>(w.field)].c_str(),
            SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, w.place.physical, w.id, font);
        break;
    }
    if (w.field >= 0) widgets.template_fields.push_back(widget);
    widgets.planned.push_back(widget);
  }
  widgets.tooltip = CreateButtonTips(dialog, session.tips, widgets);
}

void PlaceDialogWidgets(const PickerSession& session, const WidgetImages& images,
                        const DialogWidgets& widgets) {
  const DialogLayout& l = session.layout;
  const auto font = reinterpret_cast<WPARAM>(images.font.font);
  const std::vector<PlannedWidget> plan = PlanDialogWidgets(session);
  for (std::size_t i = 0; i < plan.size() && i < widgets.planned.size(); ++i) {
    const PlannedWidget& w = plan[i];
    HWND widget = widgets.planned[i];
    if (widget == nullptr) continue;
    const PixelRect r =
        w.kind == WidgetKind::kPresetCombo ? PresetComboWindow(l) : w.place.physical;
    SendMessageA(widget, WM_SETFONT, font, FALSE);
    SetWindowPos(widget, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (w.kind == WidgetKind::kPresetCombo) {
      SendMessageA(widget, CBEM_SETIMAGELIST, 0,
                   reinterpret_cast<LPARAM>(images.preset_swatches.get()));
      SizePresetCombo(widget, l);
    } else if (w.kind == WidgetKind::kImageButton) {
      SendMessageA(widget, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(images.faces[ButtonIndex(w.id)].get()));
    }
  }
}

void RelayoutDialogWidgets(const PickerSession& session, WidgetImages& images,
                           const DialogWidgets& widgets) {
  WidgetImages fresh;
  BuildWidgetImages(fresh, session);
  PlaceDialogWidgets(session, fresh, widgets);
  std::swap(images, fresh);
}

void MoveWidgetFocus(HWND dialog, const DialogWidgets& widgets, bool backwards) {
  // The dialog's own widget that holds the focus (the preset combo's inner
  // box belongs to the combo).
  HWND focused = GetFocus();
  while (focused != nullptr && GetParent(focused) != dialog) focused = GetParent(focused);
  const std::vector<HWND>& planned = widgets.planned;
  const auto found = std::find(planned.begin(), planned.end(), focused);
  const int current = found == planned.end() ? -1 : static_cast<int>(found - planned.begin());
  const int next = NextFocusIndex(widgets.plan, current, backwards);
  HWND widget = next < 0 ? nullptr : planned[static_cast<std::size_t>(next)];
  if (widget == nullptr) return;
  SetFocus(widget);
  if (IsEditWidget(widget)) SendMessageA(widget, EM_SETSEL, 0, -1);
}

HWND FirstFocusWidget(const DialogWidgets& widgets, WidgetId first) {
  if (first == WidgetId::kOkButton && widgets.ok_button != nullptr) return widgets.ok_button;
  const int index = NextFocusIndex(widgets.plan, -1, false);
  return index < 0 ? nullptr : widgets.planned[static_cast<std::size_t>(index)];
}

HWND TextWidgetOf(const DialogWidgets& w, const PlatformRequest& r) {
  if (r.kind == RequestKind::kSetFieldText) {
    const auto i = static_cast<std::size_t>(r.field);
    return i < w.template_fields.size() ? w.template_fields[i] : nullptr;
  }
  const auto c = static_cast<std::size_t>(r.channel);
  return c < w.channel_fields.size() ? w.channel_fields[c] : nullptr;
}

bool PresetListOpen(const DialogWidgets& widgets) {
  if (widgets.preset_combo == nullptr) return false;
  const auto inner =
      reinterpret_cast<HWND>(SendMessageA(widgets.preset_combo, CBEM_GETCOMBOCONTROL, 0, 0));
  return inner != nullptr && SendMessageA(inner, CB_GETDROPPEDSTATE, 0, 0) != 0;
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
