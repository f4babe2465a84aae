#pragma once

#include "core/UserSeam.h"

#include <QStringList>
#include <deque>
#include <functional>

// The user seam of the tests: records every message in order ("kind: text") and answers
// questions and inputs from a script. An unscripted question answers No, an unscripted
// input is cancelled; both are recorded so a test sees they were asked.
class ScriptedSeam : public UserSeam {
  public:
    QStringList shown;        // "message: ...", "warning: ...", "question: ..." ...
    QStringList statuses;     // every status text in order
    std::deque<bool> answers; // for askYesNo
    std::deque<std::optional<QString>> inputs; // for inputText
    std::deque<SaveChoice> saveChoices;        // for askSaveChanges; unscripted: Discard
    int progressMax = 100;
    int progress = 0;
    int progressAdvanced = 0; // total of every advance
    int breaths = 0;

    void message(const QString& t) override { shown << QStringLiteral("message: ") + t; }
    void warning(const QString& t) override { shown << QStringLiteral("warning: ") + t; }
    void fileError(const QString& t) override { shown << QStringLiteral("fileError: ") + t; }
    void error(const QString& t) override { shown << QStringLiteral("error: ") + t; }
    bool askYesNo(const QString& t) override {
        shown << QStringLiteral("question: ") + t;
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    SaveChoice askSaveChanges(const QString& t) override {
        shown << QStringLiteral("save question: ") + t;
        if (saveChoices.empty())
            return SaveChoice::Discard;
        const SaveChoice a = saveChoices.front();
        saveChoices.pop_front();
        return a;
    }
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString&) override {
        shown << QStringLiteral("input: ") + caption + QStringLiteral(" / ") + prompt;
        if (inputs.empty())
            return std::nullopt;
        const std::optional<QString> a = std::move(inputs.front());
        inputs.pop_front();
        return a ? std::optional<QString>(*a) : std::nullopt;
    }
    void setStatus(const QString& t) override { statuses << t; }
    void setProgressMax(int m) override { progressMax = m; }
    void setProgress(int p) override { progress = p; }
    void advanceProgress(int by) override {
        progress += by;
        progressAdvanced += by;
    }
    void breathe() override { ++breaths; }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }
    void clear() {
        shown.clear();
        statuses.clear();
    }
};

// A seam that lets the test act while an exchange waits, as a user clicking would.
class ActingSeam : public ScriptedSeam {
  public:
    std::function<void()> onBreath;
    void breathe() override {
        ScriptedSeam::breathe();
        if (onBreath)
            onBreath();
    }
};
