// tarvik3: the viewer of JPEG 2000 codestreams.

#include "app/tarvik3App.h"

int main(int argc, char** argv)
{
    Ctarvik3App::answerHelpOrVersion(argc, argv);
    Ctarvik3App app(argc, argv);
    return app.run();
}
