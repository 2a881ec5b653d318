#include "ui/settings_dialog.h"

#include <QCloseEvent>
#include <algorithm>
#include <exception>
#include <optional>

#include "render/sjis.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "text/number_text.h"
#include "ui/form_layout.h"
#include "ui/main_window.h"
#include "ui/screen_fit.h"
#include "ui/window_text.h"

namespace dxfdin::ui {

TForm2::TForm2(TForm1* owner) : QDialog(owner), owner_(owner) {
  setObjectName("TForm2");
  setWindowTitle(QString::fromUtf8("din出力環境設定"));
  SetFormSize(this, QSize(415, 419));
  const double s = LayoutScale(this);
  setFont(FormFont(15, s));
  setFixedSize(static_cast<int>(415 * s), static_cast<int>(419 * s));

  auto label = [&](const char* name, const char* text, int l, int t, int w, int h) {
    auto* widget = new QLabel(QString::fromUtf8(text), this);
    widget->setObjectName(name);
    Place(widget, l, t, w, h);
    return widget;
  };
  CheckBox1 = new QCheckBox(QString::fromUtf8("レイヤー名をクラスに対応"), this);
  CheckBox1->setObjectName("CheckBox1");
  Place(CheckBox1, 24, 19, 185, 17);
  CheckBox2 = new QCheckBox(QString::fromUtf8("線番号をクラスに対応"), this);
  CheckBox2->setObjectName("CheckBox2");
  Place(CheckBox2, 230, 19, 167, 17);
  Label1 = label("Label1", "（Pen Noに優先）", 40, 40, 108, 15);
  Label2 = label("Label2", "ﾚｲﾔｰ名    ->", 52, 72, 86, 15);
  Label3 = label("Label3", "ｸﾗｽNo", 146, 72, 44, 15);
  Label5 = label("Label5", "線番号", 241, 73, 45, 15);
  Label6 = label("Label6", "ｸﾗｽNo", 322, 72, 44, 15);
  const char* pen_names[] = {"Label7", "Label8", "Label9", "Label10", "Label11", "Label13"};
  const int pen_label_tops[] = {104, 133, 163, 192, 221, 251};
  for (int i = 0; i < 6; ++i) {
    std::string text = "Pen " + std::to_string(i + 1);
    pen_labels[i] =
        label(pen_names[i], text.c_str(), i == 5 ? 249 : 247, pen_label_tops[i], 38, 15);
  }
  Label4 = label("Label4", "1.ﾚｲﾔｰ名は半角英数字で入力", 32, 312, 195, 15);
  Label14 = label("Label14", "2.クラスNoは １～255、0は未指定", 32, 336, 213, 15);
  Label12 = label("Label12", "３.その他のレイヤーは順次若いクラスに入る", 32, 360, 289, 17);
  Label12->setWordWrap(true);
  Place(Label12, 32, 360, 289, 17);
  // Below the notes, where the dialog has room.
  CheckBox3 = new QCheckBox(QString::fromUtf8("非表示レイヤーも変換"), this);
  CheckBox3->setObjectName("CheckBox3");
  Place(CheckBox3, 24, 388, 289, 17);

  const int key_tops[] = {96, 127, 157, 188, 219, 249, 280};
  const int class_tops[] = {96, 127, 158, 188, 219, 249, 280};
  const int pen_tops[] = {96, 127, 157, 188, 219, 248};
  for (int i = 0; i < 20; ++i) {
    edits[i] = new QLineEdit(this);
    edits[i]->setObjectName(QString("Edit%1").arg(i + 1));
  }
  for (int i = 0; i < 7; ++i) {
    Place(edits[i], 50, key_tops[i], 65, 23);
    Place(edits[7 + i], 140, class_tops[i], 65, 23);
  }
  for (int i = 0; i < 6; ++i) Place(edits[14 + i], 312, pen_tops[i], 65, 23);
  // Tab order: row by row through the keys and their classes, then down the pens.
  QWidget* previous = CheckBox2;
  setTabOrder(CheckBox1, CheckBox2);
  for (int i = 0; i < 7; ++i) {
    setTabOrder(previous, edits[i]);
    setTabOrder(edits[i], edits[7 + i]);
    previous = edits[7 + i];
  }
  for (int i = 14; i < 20; ++i) {
    setTabOrder(previous, edits[i]);
    previous = edits[i];
  }
  setTabOrder(previous, CheckBox3);

  connect(CheckBox1, &QCheckBox::toggled, this, &TForm2::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::toggled, this, &TForm2::CheckBox2Click);
  connect(CheckBox3, &QCheckBox::toggled, this, &TForm2::CheckBox3Click);
  FormCreate();
}

void TForm2::FormCreate() {
  try {
    ProfileFile profile = ProfileFile::Load(owner_->SettingsPath());
    move(profile.ReadInteger("Locate", "x2", 250), profile.ReadInteger("Locate", "y2", 250));
  } catch (const std::exception&) {
    move(250, 250);
  }
  const TConversionSettings& settings = owner_->Settings();
  CheckBox1->setChecked(settings.lay_class == 1);
  CheckBox2->setChecked(settings.pen_class == 1);
  CheckBox3->setChecked(settings.hidden_layers == 1);
  // Setting a box to the state it has already runs no click; the groups follow it anyway.
  CheckBox1Click();
  CheckBox2Click();
  for (int i = 0; i < 7; ++i) {
    edits[i]->setText(render::FromSjis(settings.ss_l_c[i]));
    edits[7 + i]->setText(QString::number(settings.n_l_c[i]));
  }
  for (int i = 0; i < 6; ++i) edits[14 + i]->setText(QString::number(settings.n_p_c[i]));
}

void TForm2::CheckBox1Click() {
  const bool on = CheckBox1->isChecked();
  owner_->Settings().lay_class = on ? 1 : 0;
  for (int i = 0; i < 14; ++i) edits[i]->setEnabled(on);
  Label4->setEnabled(on);
  Label12->setEnabled(on);
}

void TForm2::CheckBox2Click() {
  const bool on = CheckBox2->isChecked();
  owner_->Settings().pen_class = on ? 1 : 0;
  for (int i = 14; i < 20; ++i) edits[i]->setEnabled(on);
}

void TForm2::CheckBox3Click() {
  owner_->Settings().hidden_layers = CheckBox3->isChecked() ? 1 : 0;
}

namespace {

// Half-width: the printable ASCII characters and the half-width katakana, one byte each in
// Shift-JIS, as layer names are matched.
bool IsHalfWidth(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x20 && u <= 0x7E) || (u >= 0xFF61 && u <= 0xFF9F);
}

// Why the key typed in a layer-name edit cannot be a key, or nothing: the record holds 9
// bytes of Shift-JIS, and a key cut short would match layers the user did not mean.
std::optional<Message> KeyProblem(int number, const QString& text) {
  auto refused = [&](Message why) {
    return Message{MessageId::kKeyField, {std::to_string(number), text.toStdString()}, {why}};
  };
  if (!std::all_of(text.begin(), text.end(), IsHalfWidth)) {
    return refused(MakeMessage(MessageId::kKeyNotHalfWidth));
  }
  if (render::ToSjis(text).size() > kSettingsKeyBytes) {
    return refused(MakeMessage(MessageId::kKeyTooLong, {std::to_string(kSettingsKeyBytes)}));
  }
  return std::nullopt;
}

// The class number typed in `edit`, into `field`; an empty text leaves the field as it is.
// Numbers run from 0 (none) to 255, as the dialog's note says.
std::optional<Message> StoreClass(const QLineEdit* edit, std::int32_t& field, MessageId name,
                                  int number) {
  const std::string text = edit->text().toStdString();
  if (text.empty()) return std::nullopt;
  auto refused = [&](Message why) {
    return Message{name, {std::to_string(number)}, {std::move(why)}};
  };
  std::int32_t value = 0;
  try {
    value = StrToInt(text);
  } catch (const ConversionError& error) {
    return refused(error.message());
  }
  if (value < 0 || value > 255) return refused(MakeMessage(MessageId::kClassRange));
  field = value;
  return std::nullopt;
}

}  // namespace

bool TForm2::FormClose() {
  TConversionSettings& settings = owner_->Settings();
  auto refuse = [this](const Message& why, QLineEdit* edit) {
    if (owner_->show_error) owner_->show_error(JapaneseText(why));
    edit->setFocus();
    edit->selectAll();
    return false;
  };
  if (settings.lay_class == 1) {
    for (int i = 0; i < 7; ++i) {
      if (auto problem = KeyProblem(i + 1, edits[i]->text())) return refuse(*problem, edits[i]);
    }
    for (int i = 0; i < 7; ++i) settings.ss_l_c[i] = render::ToSjis(edits[i]->text());
    for (int i = 0; i < 7; ++i) {
      if (auto problem =
              StoreClass(edits[7 + i], settings.n_l_c[i], MessageId::kLayerClassField, i + 1)) {
        return refuse(*problem, edits[7 + i]);
      }
    }
  }
  if (settings.pen_class == 1) {
    for (int i = 0; i < 6; ++i) {
      if (auto problem =
              StoreClass(edits[14 + i], settings.n_p_c[i], MessageId::kPenClassField, i + 1)) {
        return refuse(*problem, edits[14 + i]);
      }
    }
  }
  SettingsDialogValues values;
  values.left = x();
  values.top = y();
  values.lay_class = CheckBox1->isChecked();
  values.pen_class = CheckBox2->isChecked();
  values.hidden_layers = CheckBox3->isChecked();
  for (int i = 0; i < 7; ++i) {
    values.key_texts[i] = render::ToSjis(edits[i]->text());
    values.class_texts[i] = edits[7 + i]->text().toStdString();
  }
  for (int i = 0; i < 6; ++i) values.pen_texts[i] = edits[14 + i]->text().toStdString();
  try {
    SaveConversionSettings(values, owner_->SettingsPath());
  } catch (const std::exception& error) {
    // The file cannot be written (a read-only kelvor.ini, say): said once, and the dialog
    // still closes, so that it never holds the window hostage.
    if (owner_->show_error) {
      owner_->show_error(
          JapaneseText(Message{MessageId::kSettingsNotSaved, {}, {MessageOf(error)}}));
    }
  }
  return true;
}

void TForm2::done(int result) {
  // Every way of closing saves; a close that cannot save keeps the dialog open.
  if (!closing_) {
    closing_ = true;
    bool saved = FormClose();
    closing_ = false;
    if (!saved) return;
  }
  QDialog::done(result);
}

void TForm2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The stored place may be off this screen, or off a smaller one than it was stored on.
  FitOnScreen(this);
}

void TForm2::closeEvent(QCloseEvent* event) {
  event->ignore();
  done(QDialog::Rejected);
}

}  // namespace dxfdin::ui
