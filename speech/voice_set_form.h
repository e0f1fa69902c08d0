// The speech settings window "★読み上げの設定": reading each key, reading
// the expression and answer, the speaking rate and the volume, and a test.
#pragma once

#include <string>

#include "hissan/jouken.h"
#include "ui/tool_window.h"

class QCheckBox;
class QPushButton;
class QSlider;

namespace speech {

class SpeechEngine;

// The speaking step of every reading: the rate (level − 5) and volume
// (level × 10) of the settings, then the text queued on the engine.
void Hanasu(SpeechEngine& engine, const hissan::TJouken& jk, const std::string& reading);

class TVoiceSetForm : public app::ToolWindow {
    Q_OBJECT
  public:
    // Created hidden. The check boxes show the flags; the sliders the levels,
    // which are brought into 0..10 and written back. `engine` may be null
    // (the test button then does nothing).
    TVoiceSetForm(QWidget* owner, hissan::TJouken& jk, SpeechEngine* engine);

    static const char* const kTestSentence;

    void Button1Click();  // テスト
    void Button2Click();  // 閉
    void TrackBar1Change();
    void TrackBar2Change();

    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr;
    QSlider *TrackBar1 = nullptr, *TrackBar2 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    hissan::TJouken& jk_;
    SpeechEngine* engine_;
};

}  // namespace speech
