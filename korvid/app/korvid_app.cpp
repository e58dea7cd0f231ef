#include "korvid/app/korvid_app.h"

#include "korvid/app/main_frame.h"
#include "korvid/database/codes.h"
#include "korvid/link/com_port.h"
#include "korvid/link/transfer/software_download.h"
#include "korvid/link/ui/select_port_dlg.h"
#include "korvid/ui/skin.h"

#include <QStringList>

namespace korvid {

void reset_startup_state(Database& db)
{
    reset_codes();
    db.present = false;
    g_Downloading = false;
    g_ComPort = 1;
}

CKorvidApp::CKorvidApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Korvid"));
    // Where QSettings keeps what the user would not want to choose again (file dialog folders).
    setOrganizationName(QStringLiteral("Korvid"));
}

CKorvidApp::~CKorvidApp()
{
    // The window (and with it any running transfer) goes before the document it works on.
    m_frame.reset();
}

bool CKorvidApp::InitInstance(const EditorViewFactoryMaker& make_editor)
{
    m_db = std::make_unique<Database>();
    reset_startup_state(*m_db);
    // The port the user chose last time, else COM1; it is checked so that a missing cable shows at
    // once, and the program starts either way.
    if (const int kept = CSelectPortDlg::remembered_port())
        g_ComPort = kept;
    TestPort(g_ComPort, &m_prompts);
    setFont(skin::app_font());

    m_doc = std::make_unique<CKorvidDoc>(*m_db, m_prompts);
    m_frame = std::make_unique<CMainFrame>(*m_db, *m_doc, m_prompts);
    if (make_editor)
        m_frame->set_editor_view_factory(make_editor(*m_doc, m_prompts));
    m_prompts.set_parent(m_frame.get());
    m_frame->show();

    // One optional argument: a database to edit, or the code file to send.
    const QStringList args = arguments();
    if (args.size() > 1 && !args.at(1).isEmpty())
        m_frame->open_from_command_line(args.at(1).toStdString());
    return true;
}

} // namespace korvid
