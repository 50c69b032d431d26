#include "platform/controls/Edit.h"

#include <QLineEdit>

#include <algorithm>

#include "platform/controls/ControlQt.h"
#include "platform/controls/NativeLook.h"
#include "platform/controls/QtText.h"

struct TEdit::TImpl {
  QLineEdit* Line = nullptr;
  QObject Context;      // connections die with it
  QString LastText;     // the text before the user's latest edit
  bool Limiting = false;
};

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner), FImpl(std::make_unique<TImpl>()) {
  auto* line = new QLineEdit();
  line->setMaxLength(32767);  // our MaxLength is enforced on user edits only
  FImpl->Line = line;
  AttachNativeWidget(this, line);

  SetControlStyle(ControlStyle() & ~TControlStyle(csSetCaption));
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  ApplyNativeColor(line, *this);
  ApplyNativeFont(line, *this);

  // The host refuses keystrokes and pastes that would pass MaxLength; Qt's own
  // limit would also cut text the program sets, so the limit is applied to
  // each user edit: what went past it is taken out again just before the cursor.
  QObject::connect(line, &QLineEdit::textEdited, &FImpl->Context, [this](const QString& now) {
    TImpl& d = *FImpl;
    if (d.Limiting) return;
    const qsizetype room = std::max<qsizetype>(FMaxLength, d.LastText.size());
    if (FMaxLength > 0 && now.size() > room) {
      const qsizetype overflow = now.size() - room;
      const qsizetype cursor = d.Line->cursorPosition();
      const qsizetype cut = std::max<qsizetype>(0, cursor - overflow);
      QString kept = now;
      kept.remove(cut, cursor - cut);
      d.Limiting = true;
      d.Line->setText(kept);
      d.Line->setCursorPosition(int(cut));
      d.Limiting = false;
    }
    d.LastText = d.Line->text();
  });
  // Read back rather than taken from the signal: Qt may still report the
  // refused text after the edit above undid it.
  QObject::connect(line, &QLineEdit::textChanged, &FImpl->Context, [this](const QString&) {
    if (!FImpl->Limiting) FImpl->LastText = FImpl->Line->text();
  });
}

TEdit::~TEdit() = default;

void TEdit::SetMaxLength(int Value) { FMaxLength = std::max(0, Value); }

std::string TEdit::GetText() const { return HostText(FImpl->Line->text()); }

void TEdit::SetTextBuf(const std::string& Value) {
  FImpl->Line->setText(QtText(Value));
  FImpl->LastText = FImpl->Line->text();
}

void TEdit::CMColorChanged() {
  ApplyNativeColor(FImpl->Line, *this);
  TWinControl::CMColorChanged();
}

void TEdit::CMFontChanged() {
  ApplyNativeFont(FImpl->Line, *this);
  TWinControl::CMFontChanged();
}

bool TEdit::WantsKey(Word Key) const {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}
