#include "korvid/app/korvid_app.h"
#include "korvid/editor/ui/db_view.h"

int main(int argc, char** argv)
{
    korvid::CKorvidApp app(argc, argv);
    if (!app.InitInstance(korvid::make_editor_view_factory))
        return 1;
    return app.exec();
}
