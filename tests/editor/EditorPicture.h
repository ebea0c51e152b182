// The plug-in's editor drawn without a window, through the same code that paints its window: the
// picture the build writes for people to look at, and what the window tests expect to see.
#pragma once

#include "editor/QevVstEditor.h"
#include "platform/Platform.h"
#include "plugin/QevVst.h"
#include "tests/support/Image.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <array>

namespace editortest
{

using ParameterValues = std::array<float, qev::kNumParams>;

// A host that answers nothing: enough for a plug-in that is only drawn.
inline VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                        float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

inline QevVstEditor* editorOf(QevVst& plugin)
{
    return static_cast<QevVstEditor*>(plugin.getEditor());
}

// What the editor of `plugin` shows, opened now: the whole frame drawn into its own surface.
inline qev::test::Image windowlessPicture(QevVst& plugin)
{
    QevVstEditor* editor = editorOf(plugin);
    editor->open(nullptr);
    toolkit::CFrame* frame = editor->getFrame();
    toolkit::CDrawContext* context = frame->createDrawContext();
    frame->draw(context);
    qev::test::Image image =
        qev::test::imageOf(qev::platform::selectedBitmap(context->getSystemContext()));
    context->forget();
    editor->close();
    return image;
}

// The same for a plug-in holding these parameter values.
inline qev::test::Image windowlessPicture(const ParameterValues& values)
{
    QevVst plugin(&silentHost);
    for (int i = 0; i < qev::kNumParams; ++i)
        plugin.setParameter(i, values[i]);
    return windowlessPicture(plugin);
}

} // namespace editortest
