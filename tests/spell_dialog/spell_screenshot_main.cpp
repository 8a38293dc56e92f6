// Shows a diary page with spelling marks and the Spell Check dialog open
// over it, then saves the whole screen: for looking at the two under a real
// X server (xvfb-run ./spell_dialog_screenshot out.png). With --menu the
// page's right-click menu over a marked word is shown instead of the dialog.

#include <QApplication>
#include <QContextMenuEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "richtext/widget/rich_text.h"
#include "spell/dialog/engine_spelling_checker.h"
#include "spell/dialog/spell_check_dialog.h"

using namespace quill;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const bool menu = argc > 2 && std::string(argv[2]) == "--menu";
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("spell_check.png");
  const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/";
  QTemporaryDir diary;
  const std::string user = diary.path().toStdString() + "/";

  TRichText editor;
  editor.setWindowTitle("Quillbook");
  editor.resize(620, 420);
  editor.move(20, 20);
  TEngineSpellingChecker checker(program, user);
  editor.SetSpellingChecker(&checker);
  editor.InsertText(
      "We walked up the mountian this morning before the rainny weather came in. "
      "Peter's dog ran ahead of us the whole way.\r\r"
      "At the top we ate sandwiches and watched the cloudes roll over the valley; "
      "it was beautful, and the e-mail from work could wait until 10:30 tomorrow.");
  editor.show();

  auto save = [&] {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, 980, 660);
    const bool saved = shot.save(out);
    std::printf("%s %s\n", saved ? "saved" : "could not save", out.toLocal8Bit().constData());
  };
  if (menu) {
    QTimer::singleShot(600, [&] {
      QTimer::singleShot(400, [&] {
        save();
        app.quit();
      });
      // Over "mountian" on the first line.
      const QPoint at(130, 8);
      QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor.viewport()->mapToGlobal(at));
      QApplication::sendEvent(editor.viewport(), &event);
    });
    return app.exec();
  }

  TSpellCheckDialog dialog(&editor, program, user);
  dialog.ShowInformation = [](const QString&) {};
  dialog.move(330, 200);
  dialog.show();

  QTimer::singleShot(600, [&] {
    // Skip to the second unknown word so the dialog shows a selection in
    // the middle of the page.
    dialog.GetNextWordButtonClick();
    QTimer::singleShot(400, [&] {
      save();
      app.quit();
    });
  });
  return app.exec();
}
