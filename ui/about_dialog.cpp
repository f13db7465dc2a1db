#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>
#include <QVBoxLayout>
#include <zlib.h>

#include "app/version.h"
#include "ui/pictures.h"

namespace krax::ui {

QString AboutText() {
  QStringList lines = {
      AboutDialog::tr("Features:"),
      AboutDialog::tr(" - Manage cars (install new, enable, disable, launch car edit, restore from CD)"),
      AboutDialog::tr(" - Manage tracks (install new, switch, launch track edit, restore from CD)"),
      AboutDialog::tr(" - Support for ZIP and CAB files to install."),
      AboutDialog::tr(" - Support for compres tracks and cars."),
      AboutDialog::tr(" - Fixing serial numbers, FeData only"),
      AboutDialog::tr(" - KRAX String Editing"),
      AboutDialog::tr(" - Launch KRAX"),
      AboutDialog::tr("Next Release:"),
      AboutDialog::tr(" - Corecting errors (Duplicate ser.nums etc..)."),
      AboutDialog::tr(" - Enabling/disabling traffic and police cars."),
      AboutDialog::tr(" - View of screenshot of car in jpg, tga or texture on right bottom."),
      AboutDialog::tr("Some Tips:"),
      AboutDialog::tr(" - Left double click on car to disable/enable it"),
      AboutDialog::tr(" - Right double click to launch car edit on it"),
      AboutDialog::tr(" - Left double click on track to switch it."),
      AboutDialog::tr(" - If You reinstall KRAX on diferent location, use 'default' buttons on options."),
      AboutDialog::tr(" - Try Cabinet files and check file size!"),
      QString(),
      AboutDialog::tr("Credits:"),
      AboutDialog::tr(" KRAXManager, the car and track manager for KRAX."),
      AboutDialog::tr(" Zip files are read and written with zlib %1 and minizip.")
          .arg(QString::fromLatin1(zlibVersion())),
      AboutDialog::tr(" The window is built with Qt %1.").arg(QString::fromLatin1(qVersion())),
      AboutDialog::tr(" Cabinet files are packed and unpacked by KRAXManager's own code."),
  };
  return lines.join(QLatin1Char('\n'));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutDialog"));
  setWindowTitle(tr("About KRAXManager"));
  auto* column = new QVBoxLayout(this);

  auto* top = new QHBoxLayout();
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  auto* version = new QLabel(tr("KRAXManager Version %1").arg(QString::fromLatin1(kProgramVersion)), this);
  version->setObjectName(QStringLiteral("versionLabel"));
  QFont bigger = version->font();
  bigger.setBold(true);
  version->setFont(bigger);
  top->addWidget(icon);
  top->addWidget(version, 1);
  column->addLayout(top);

  auto* text = new QPlainTextEdit(AboutText(), this);
  text->setObjectName(QStringLiteral("aboutText"));
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  const QFontMetrics metrics(text->font());
  int widest = 0;
  for (const QString& line : AboutText().split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  text->setMinimumSize(widest + 40, metrics.lineSpacing() * 26);
  column->addWidget(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
}

}  // namespace krax::ui
