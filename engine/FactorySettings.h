#pragma once

namespace qev
{

// Values of parameters 1..9 (SPEED, SYNC_SPEED, LOFREQ, HIFREQ, PHASE, TYPE, FEEDBACK, DRYWET,
// VOLUME) of the twelve factory programs and of the initial "default" program, as the exact
// floats the programs store.
struct FactorySetting
{
    const char* name;
    float values[9];
};

constexpr FactorySetting kFactorySettings[] = {
    {"Get Alive",
     {0.360564351f, 0, 0.376267314f, 0.635455668f, 1, 2, 0.660773516f, 0.469888508f, 0.553145647f}},
    {"Slow Sweep",
     {0.245817125f, 0, 0.11853838f, 0.689519167f, 0.0485793352f, 2, 0.76246798f, 1, 0.380756557f}},
    {"Gentle Stereo",
     {0.37390393f, 0, 0.281347215f, 0.604817629f, 1, 2, 0.481855154f, 0.581732988f, 0.553145647f}},
    {"2 Stage Phaser",
     {0.250929534f, 0, 0.179135025f, 0.69955802f, 1, 0, 0.910447717f, 0.541888595f, 0.555623531f}},
    {"4 Stage Phaser",
     {0.240315437f, 0, 0.173509657f, 0.729105234f, 1, 1, 0.681278467f, 0.587230623f, 0.522490561f}},
    {"6 Stage Phaser",
     {0.267337441f, 0, 0.16093272f, 0.592087746f, 1, 2, 0.68931663f, 0.69305563f, 0.530111492f}},
    {"Wet Phaser 6 Stages",
     {0.267115951f, 0, 0.286930323f, 0.681278467f, 0.999999881f, 2, 0.839761853f, 1, 0.48843652f}},
    {"Wet Phaser 2 Stages",
     {0.293759584f, 0, 0.172106683f, 0.743427992f, 1, 0, 0.686503053f, 1, 0.484500349f}},
    {"Wet Hi Freq",
     {0.27515316f, 0, 0.506061375f, 0.681278467f, 1, 2, 0.673295975f, 1, 0.518567085f}},
    {"Wet Mid Freq",
     {0.392390311f, 0, 0.181447804f, 0.435380757f, 1, 1, 0.673737645f, 1, 0.503722548f}},
    {"Wet Sweet",
     {0.340908945f, 0, 0.266651273f, 0.686503053f, 1, 2, 0.838508129f, 1, 0.514126182f}},
    {"Wet Hard Mono",
     {0.281347215f, 0, 0.193530321f, 0.458111346f, 0.0114594698f, 2, 0.829172909f, 1,
      0.495839596f}},
    {"default", {0.5f, 0, 0, 1, 0, 0, 0.5f, 1, 0.5f}},
};

constexpr int kNumFactorySettings = sizeof(kFactorySettings) / sizeof(kFactorySettings[0]);

} // namespace qev
