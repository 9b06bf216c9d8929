// The platform services of the real program, on Qt.
#pragma once

#include "core/platform.h"
#include "qt/random_source.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace skyquill {

class QtPlatform : public Platform {
public:
    // The window that owns message boxes and is hidden when the program ends.
    void setWindow(QWidget* window) { window_ = window; }
    // How the event loop is told to stop; tests that keep running replace it.
    void setQuit(std::function<void(int)> quit) { quit_ = std::move(quit); }

    void messageBox(const QString& text, const QString& title) override;
    void tell(const QString& line) override;
    void endProgram(int exitStatus) override;
    bool ended() const override { return ended_; }
    float timeOfDay() override;
    void setWordListPath(const QString& path) { wordListPath_ = path; }
    QString wordListPath() override { return wordListPath_; }
    void seedRandom(float seed) override { random_.seed(seed); }
    double random() override { return random_.next(); }

    int exitStatus() const { return exitStatus_; }
    // True while a message box is open: the window handles no events then.
    bool boxOpen() const { return boxOpen_; }

private:
    QPointer<QWidget> window_;
    std::function<void(int)> quit_;
    RandomSource random_;
    QString wordListPath_;
    bool ended_ = false;
    bool boxOpen_ = false;
    int exitStatus_ = 0;
};

}  // namespace skyquill
