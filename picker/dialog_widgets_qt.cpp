#include "picker/dialog_widgets_qt.h"

#include <QAbstractItemView>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

#include "picker/embedded_images.h"
#include "picker/presets.h"
#include "picker/render.h"
#include "picker/widgets_qt.h"

namespace tintra {

namespace {

QRect Logical(const LaidRect& r) {
  return QRect(r.logical.x, r.logical.y, r.logical.width, r.logical.height);
}

double PixelRatio(const PickerSession& session) {
  return session.layout.dpi / static_cast<double>(kBaseDpi);
}

// The button slot of an image button's identifier (const or not with `w`).
template <typename Widgets>
auto& ButtonOf(Widgets& w, WidgetId id) {
  return id == WidgetId::kOkButton       ? w.ok_button
         : id == WidgetId::kCancelButton ? w.cancel_button
                                         : w.eyedropper_button;
}

QComboBox* MakePresetCombo(QWidget* window, const DialogLayout& l) {
  auto* combo = new QComboBox(window);
  combo->setGeometry(Logical(l.preset_combo));
  for (int i = 0; i < kPresetCount; ++i) {
    combo->addItem(PresetAt(i).main_mark ? QStringLiteral("-") : QStringLiteral(" "));
  }
  combo->setCurrentIndex(-1);
  combo->view()->setMinimumWidth(l.preset_list_width);
  combo->setMaxVisibleItems(12);
  return combo;
}

QLineEdit* MakeField(QWidget* window, const LaidRect& r) {
  auto* field = new QLineEdit(window);
  field->setGeometry(Logical(r));
  field->setTextMargins(0, 0, 0, 0);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, Qt::white);
  field->setPalette(palette);
  return field;
}

}  // namespace

void CreateDialogWidgets(QWidget* window, const PickerSession& session, DialogWidgets& widgets,
                         const WidgetEventSink& sink) {
  const DialogLayout& l = session.layout;
  widgets = DialogWidgets{};
  widgets.canvas = new QWidget(window);
  widgets.canvas->setGeometry(Logical(l.canvas));
  widgets.canvas->setAttribute(Qt::WA_OpaquePaintEvent);
  widgets.canvas->setMouseTracking(true);  // the swatches' hover
  widgets.canvas->setFocusPolicy(Qt::NoFocus);

  const QFont digits = FontFitting({QStringLiteral("000")}, l.channel_fields[0].logical.width - 6);
  for (const PlannedWidget& p : PlanDialogWidgets(session)) {
    const int width = p.place.logical.width;
    switch (p.kind) {
      case WidgetKind::kPresetCombo:
        widgets.preset_combo = MakePresetCombo(window, l);
        QObject::connect(widgets.preset_combo, &QComboBox::activated, [sink](int index) {
          sink(WidgetId::kPresetCombo, WidgetEventKind::kSelected, {}, index);
        });
        break;
      case WidgetKind::kChannelField: {
        QLineEdit* field = MakeField(window, p.place);
        field->setFont(digits);
        // textEdited: typed or pasted only, never the dialog's own setText.
        QObject::connect(field, &QLineEdit::textEdited, [sink, id = p.id](const QString& text) {
          sink(id, WidgetEventKind::kTextEdited, CoreText(text), -1);
        });
        widgets.channel_fields[static_cast<std::size_t>(ChannelOfWidget(p.id))] = field;
        break;
      }
      case WidgetKind::kImageButton: {
        auto* button = new QPushButton(window);
        ButtonOf(widgets, p.id) = button;
        button->setGeometry(Logical(p.place));
        button->setAutoDefault(false);  // Enter is the session's, not the button's
        // The image buttons show no text: the tips say what they do, and
        // name them to assistive tools.
        button->setToolTip(QtText(p.tip));
        button->setAccessibleName(QtText(p.tip));
        QObject::connect(button, &QPushButton::clicked,
                         [sink, id = p.id] { sink(id, WidgetEventKind::kClicked, {}, -1); });
        break;
      }
      case WidgetKind::kOutputField: {
        // Read-only: the text can be selected and copied, never edited. The
        // font fits the widest text the template can show.
        const TemplateField& field = session.descriptor.fields[static_cast<std::size_t>(p.field)];
        QLineEdit* output = MakeField(window, p.place);
        output->setReadOnly(true);
        output->setAlignment(Qt::AlignCenter);
        output->setFont(FontFitting({QtText(OutputFieldText(session, field, 0xFFFFFFFF)),
                                     QtText(OutputFieldText(session, field, 0xFFC8C8C8))},
                                    width - 6));
        widgets.template_fields.push_back(output);
        break;
      }
      case WidgetKind::kCaption: {
        auto* caption =
            new QLabel(QtText(session.field_texts[static_cast<std::size_t>(p.field)]), window);
        caption->setGeometry(Logical(p.place));
        caption->setAlignment(Qt::AlignCenter);
        caption->setTextFormat(Qt::PlainText);
        caption->setFont(FontFitting({caption->text()}, width));
        widgets.template_fields.push_back(caption);
        break;
      }
    }
  }
  ShowWidgetImages(session, widgets);
}

void ShowWidgetImages(const PickerSession& session, const DialogWidgets& widgets) {
  const DialogLayout& l = session.layout;
  for (const PlannedWidget& p : PlanDialogWidgets(session)) {
    QPushButton* button = p.kind == WidgetKind::kImageButton ? ButtonOf(widgets, p.id) : nullptr;
    if (button == nullptr) continue;
    const QImage face = QtImage(LoadEmbeddedImage(p.face, p.face_size), PixelRatio(session));
    button->setIcon(QIcon(QPixmap::fromImage(face)));
    const int logical = ToLogical(p.face_size, l.dpi);
    button->setIconSize(QSize(logical, logical));
  }
  if (widgets.preset_combo == nullptr) return;
  const int swatch = l.preset_swatch_size;
  const int logical_swatch = ToLogical(swatch, l.dpi);
  widgets.preset_combo->setIconSize(QSize(logical_swatch, logical_swatch));
  for (int i = 0; i < kPresetCount && i < widgets.preset_combo->count(); ++i) {
    const QImage face = QtImage(MakePresetSwatch(PresetAt(i).color, swatch), PixelRatio(session));
    widgets.preset_combo->setItemIcon(i, QIcon(QPixmap::fromImage(face)));
  }
}

}  // namespace tintra
