// The one record of calculation and display conditions.
#pragma once

#include <string>

namespace hissan {

// Conditions shared by the main window, the column layouts, speech and the
// conditions dialog. Flags are 0/1 and toggled as 1 - value. The persisted
// fields carry the settings file's key names.
struct TJouken {
    // ---- persisted (pkt_m41.ini) ----
    int LEFT = 200;
    int TOP = 200;
    int HEIGHT = 300;
    int WIDTH = 500;
    int BLEFT = 200;
    int BTOP = 500;
    int PANELFLAG = 0;
    int HARUFA = 0;  // 65 while the settings panel is shown; recomputed at start
    std::string FONTNAME = "ＭＳゴシック";  // UTF-8 in memory, Shift-JIS on disk
    int FONTSIZE = 40;
    int KURIAGARI = 1;
    int KURISAGARI = 1;
    int ENZANSPEED = 0;  // 0..99 tenths of a second
    int PKTIMAGE = 0;
    int RENDOFLAG = 1;
    int KAIGYO_FLAG = 0;
    int EXPLAIN_FLAG = 0;
    int DSP_CL_TYPE = 0;  // 0 blackboard, 1 whiteboard, 2 見やすい色 (canvas.h)
    int POINTMAX = 0;     // 0..10 quotient decimal places
    int PNTDSPFLAG00 = 0;
    int AUTOSTEP = 0;
    int STEPFLAG = 0;
    int STEPBEEP = 0;
    int SHOU_ITI = 0;  // 0 cut at POINTMAX, 1 round, 2 until exact (max 10)
    int SHOU0_DSP = 0;
    int SYOUPTLNDSP = 0;
    int QQ_FLAG = 0;
    int JK1ST_FLAG = 0;
    int CUR_SEC = 500;
    int YOMIAGEFLAG1 = 0;
    int YOMIAGEFLAG2 = 0;
    int REIYOMIAGE = 0;
    int YOMIAGEHAYASA = 5;
    int YOMIAGEOOKISA = 50;
    int KEYPADSIZE = 0;  // the on-screen keypad: 0 normal, 1 large (touch screens)

    // ---- for this run only ----
    int BubunWa = 0;
    int MatsubiZeroKake = 0;
    int MatsubiZeroWari = 0;
    std::string PaiText = "3.14";
    int PaiKeta = 3;      // 1..15
    int StrokeDelay = 0;  // 0..100 tenths of a second
};

}  // namespace hissan
