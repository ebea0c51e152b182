// Writes the picture of the plug-in's editor, for people to look at: the editor of factory
// program 0 with all its controls, drawn without a window through the code that paints it.
//
//     editor_snapshot <output.png>
#include "tests/editor/EditorPicture.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: editor_snapshot <output.png>\n");
        return 2;
    }
    QevVst plugin(&editortest::silentHost);
    if (!qev::test::writePng(argv[1], editortest::windowlessPicture(plugin)))
    {
        std::fprintf(stderr, "editor_snapshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
