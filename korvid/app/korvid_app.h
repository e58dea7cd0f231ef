#pragma once
// The application: the start-up sequence (codes reset, the COM1 check, the shared font, the
// document and the main window) and the objects that live for the whole run.
#include "common/qt/qt_prompts.h"
#include "korvid/database/database.h"
#include "korvid/database/korvid_doc.h"
#include "korvid/ui/frame_view.h"

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

namespace korvid {

class CMainFrame;

// Makes the factory of the editor-mode view once the document and the prompts exist.
using EditorViewFactoryMaker = std::function<EditorViewFactory(CKorvidDoc& doc, common::Prompts& prompts)>;

class CKorvidApp : public QApplication
{
    Q_OBJECT
public:
    CKorvidApp(int& argc, char** argv);
    ~CKorvidApp() override;

    // Runs the start-up sequence and shows the main window; false when the program cannot start.
    // `make_editor` gives the frame its editor-mode view, over the document and prompts made here.
    bool InitInstance(const EditorViewFactoryMaker& make_editor = {});

    Database& database() { return *m_db; }
    CKorvidDoc& document() { return *m_doc; }
    common::Prompts& prompts() { return m_prompts; }
    CMainFrame* frame() const { return m_frame.get(); }

private:
    std::unique_ptr<Database> m_db; // large; kept off the stack
    common::QtPrompts m_prompts;
    std::unique_ptr<CKorvidDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

// The start-up state of the globals: no codes, no database, no download, COM1. (The editor's
// selection starts empty with the editor view factory.)
void reset_startup_state(Database& db);

} // namespace korvid
