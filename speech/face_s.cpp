#include "speech/face_s.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

static void initFaceResources() {
    Q_INIT_RESOURCE(face);
}

namespace speech {

bool TFaceS::loadPictures(Pictures& pictures) {
    static const std::array<const char*, 9> kNames = {"FACE00",  "MOUTH_A",  "MOUTH_I",
                                                      "MOUTH_U", "MOUTH_E",  "MOUTH_O",
                                                      "MOUTH_N", "EYE_OPEN", "EYE_CLOSE"};
    faceResources();
    auto resourceOf = [](const char* name) {
        for (const char* ext : {".svg", ".png", ".bmp"}) {
            const QString path =
                QStringLiteral(":/face/") + QLatin1String(name) + QLatin1String(ext);
            if (QFile::exists(path)) return path;
        }
        return QString();
    };
    if (std::none_of(kNames.begin(), kNames.end(),
                     [&](const char* name) { return !resourceOf(name).isEmpty(); }))
        return true;
    for (size_t i = 0; i < kNames.size(); ++i) {
        const QString path = resourceOf(kNames[i]);
        if (path.isEmpty() || !pictures[i].load(path)) {
            pictures[i] = QPixmap();
            return false;
        }
    }
    return true;
}

void faceResources() {
    static const bool once = (initFaceResources(), true);
    (void)once;
}

// The picture control: the face stretched to the window, keeping its
// proportions, centred on the face's own background colour.
class FaceImage : public QWidget {
  public:
    FaceImage(const QImage& picture, QWidget* parent) : QWidget(parent), picture_(picture) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QRect target() const {
        if (picture_.isNull()) return rect();
        QSize s = picture_.size().scaled(size(), Qt::KeepAspectRatio);
        return QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    }
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter p(this);
        const QColor back =
            picture_.isNull() ? palette().color(QPalette::Window) : picture_.pixelColor(0, 0);
        p.fillRect(rect(), back);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target(), picture_);
    }

  private:
    const QImage& picture_;
};

TFaceS::TFaceS(QWidget* owner, const Pictures& pictures)
    : ToolWindow(owner, QStringLiteral("◇ピコタだよ。<F4>"), QSize(132, 132), false),
      pictures_(pictures) {
    setObjectName(QStringLiteral("FaceS"));
    setMinimumSize(96, 96);
    const QSize size = pictures_[FACE00].isNull() ? QSize(128, 128) : pictures_[FACE00].size();
    picture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    picture_.fill(QColor(0, 96, 48));
    ImageN = new FaceImage(picture_, this);
    ImageN->setGeometry(rect());
    blink_.setSingleShot(true);
    connect(&blink_, &QTimer::timeout, this, &TFaceS::openEyes);
    draw(FACE00, 0, 0);
}

std::optional<TFaceS::Mouth> TFaceS::mouthOf(int viseme) {
    switch (viseme) {
        case 0:
            return Mouth{MOUTH_N, 52, 90};
        case 2:
            return Mouth{MOUTH_A, 45, 90};
        case 4:
            return Mouth{MOUTH_E, 46, 87};
        case 6:
            return Mouth{MOUTH_I, 45, 90};
        case 7:
            return Mouth{MOUTH_U, 50, 88};
        case 10:
            return Mouth{MOUTH_O, 50, 90};
        default:
            return std::nullopt;
    }
}

void TFaceS::draw(Picture which, int x, int y) {
    const QPixmap& pm = pictures_[which];
    if (pm.isNull()) return;
    QPainter p(&picture_);
    p.drawPixmap(x, y, pm);
}

void TFaceS::VisemeDsp(int viseme) {
    draw(FACE00, 0, 0);
    if (const auto m = mouthOf(viseme)) draw(m->picture, m->x, m->y);
    lastViseme_ = viseme;
    ImageN->update();
}

void TFaceS::EyeDsp(int state) {
    if (state == 0) draw(EYE_CLOSE, kEyeX, kEyeY);
    if (state == 1) draw(EYE_OPEN, kEyeX, kEyeY);
    ImageN->repaint();
}

void TFaceS::MabatakiDsp(int ms, std::function<void()> then) {
    // A blink still under way ends first, so nothing asked for is lost.
    if (blink_.isActive()) {
        blink_.stop();
        openEyes();
    }
    afterBlink_ = std::move(then);
    EyeDsp(0);
    blink_.start(std::max(0, ms));
}

void TFaceS::openEyes() {
    EyeDsp(1);
    if (auto then = std::exchange(afterBlink_, {})) then();
}

void TFaceS::resizeEvent(QResizeEvent* e) {
    ToolWindow::resizeEvent(e);
    ImageN->setGeometry(rect());
}

QRect TFaceS::shownRect() const {
    return ImageN->target();
}

int TFaceS::repaints() const {
    return ImageN->paints;
}

}  // namespace speech
