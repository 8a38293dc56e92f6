#include <QApplication>

#include "app/diary_folder.h"
#include "app/program_start.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    quill::StartOptions options;
    options.diaryFolder = quill::DefaultDiaryFolder();
    options.programFolder = quill::ProgramFolder();
    return quill::RunQuillbook(app, options);
}
