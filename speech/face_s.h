// The mascot's face "◇ピコタだよ。<F4>": a small stay-on-top window beside
// the board whose eyes blink and whose mouth changes on the main window's
// timer.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

#include "ui/tool_window.h"

namespace speech {

// Makes the face pictures of the program's resources (:/face/NAME.svg)
// available; they live in a static library that nothing else refers to.
void faceResources();

class FaceImage;

class TFaceS : public app::ToolWindow {
    Q_OBJECT
  public:
    // The nine pictures in the order FACE00, MOUTH_A, MOUTH_I, MOUTH_U,
    // MOUTH_E, MOUTH_O, MOUTH_N, EYE_OPEN, EYE_CLOSE; they must outlive the
    // window. An empty picture draws nothing.
    using Pictures = std::array<QPixmap, 9>;
    enum Picture {
        FACE00,
        MOUTH_A,
        MOUTH_I,
        MOUTH_U,
        MOUTH_E,
        MOUTH_O,
        MOUTH_N,
        EYE_OPEN,
        EYE_CLOSE
    };

    TFaceS(QWidget* owner, const Pictures& pictures);

    // Reads the pictures from the program's resources as :/face/<name>.svg
    // (or .png, .bmp). Without any of them (a program built without them)
    // they stay empty; false when the set is only partly there or a picture
    // cannot be read (it stays empty, and those after it).
    static bool loadPictures(Pictures& pictures);

    struct Mouth {
        Picture picture;
        int x, y;
    };
    // The mouth of a viseme, none for the numbers that keep the plain face.
    static std::optional<Mouth> mouthOf(int viseme);
    static constexpr int kEyeX = 35, kEyeY = 56;

    // The plain face, then the viseme's mouth over it.
    void VisemeDsp(int viseme);
    // 0 closed eyes, 1 open eyes, anything else nothing; repaints at once.
    void EyeDsp(int state);
    // Closes the eyes and opens them again after `ms` milliseconds from a
    // timer (the event loop keeps running); `then` runs just after.
    void MabatakiDsp(int ms, std::function<void()> then = {});

    // The face picture as drawn, in its own pixels.
    const QImage& picture() const { return picture_; }
    // Where the picture is shown inside the window (stretched, centred).
    QRect shownRect() const;
    bool blinking() const { return blink_.isActive(); }
    int lastViseme() const { return lastViseme_; }
    // Paints of the picture so far.
    int repaints() const;

  protected:
    void resizeEvent(QResizeEvent* e) override;

  private:
    void draw(Picture which, int x, int y);
    void openEyes();

    const Pictures& pictures_;
    QImage picture_;
    FaceImage* ImageN = nullptr;
    QTimer blink_;
    std::function<void()> afterBlink_;
    int lastViseme_ = -1;
};

}  // namespace speech
