// What the game needs from the machine it runs on. The Qt build supplies the
// real services; the tests supply scripted ones.
#pragma once

#include <QString>

namespace skyquill {

class Platform {
public:
    virtual ~Platform() = default;

    // Modal box with the title, the text (lines joined by CR LF) and one OK
    // button; returns when the player has dismissed it.
    virtual void messageBox(const QString& text, const QString& title) = 0;

    // One line on standard error, for what the box can't say.
    virtual void tell(const QString& line) = 0;

    // Ends the program: no event is handled afterwards.
    virtual void endProgram(int exitStatus) = 0;
    virtual bool ended() const = 0;

    // Seconds since midnight, with their fraction.
    virtual float timeOfDay() = 0;

    // The word list to read at start-up, chosen before the window opens.
    virtual QString wordListPath() = 0;

    virtual void seedRandom(float seed) = 0;
    // Uniform in [0, 1); never 1.0.
    virtual double random() = 0;
};

}  // namespace skyquill
