#include "korvid/app/korvid_app.h"

int main(int argc, char** argv)
{
    korvid::CKorvidApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.exec();
}
