#include "korvid/app/korvid_app.h"
#include "korvid/editor/ui/db_view.h"

int main(int argc, char** argv)
{
    korvid::CKorvidApp app(argc, argv);
    // The document and the prompts exist once InitInstance has made them, before the first view.
    const bool started = app.InitInstance([&app](QWidget* parent, int) -> QWidget* {
        return new korvid::CDBView(app.document(), app.prompts(), parent);
    });
    if (!started)
        return 1;
    return app.exec();
}
