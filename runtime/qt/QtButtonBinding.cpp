#include "runtime/qt/QtButtonBinding.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "runtime/controls/CheckBox.h"
#include "runtime/controls/CommandButton.h"
#include "runtime/controls/OptionButton.h"
#include "runtime/qt/QtControlViews.h"
#include "runtime/qt/QtDialogGuard.h"

namespace vb {

QWidget* BindQtCommandButton(CommandButton& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                             QObject& links) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(true);
    button->setDefault(control.Default());
    QObject::connect(button, &QAbstractButton::clicked, &links, [&control, guard] {
        guard->Run([&] { control.UserClick(); });
    });
    control.Attach(std::make_unique<ButtonView>(button));
    return button;
}

QWidget* BindQtCheckBox(CheckBox& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                        QObject& links) {
    auto* box = new QCheckBox(parent);
    QObject::connect(box, &QAbstractButton::clicked, &links, [box, &control, guard] {
        guard->Run([&] { control.UserClick(); });
        const QSignalBlocker quiet(box);
        box->setChecked(control.Value() == kChecked);
    });
    control.Attach(std::make_unique<ButtonView>(box));
    return box;
}

QWidget* BindQtOptionButton(OptionButton& control, QWidget* parent, const std::shared_ptr<QtDialogGuard>& guard,
                            QObject& links) {
    auto* option = new QRadioButton(parent);
    // The portable group clears the other options.
    option->setAutoExclusive(false);
    QObject::connect(option, &QAbstractButton::clicked, &links, [option, &control, guard] {
        guard->Run([&] { control.UserClick(); });
        const QSignalBlocker quiet(option);
        option->setChecked(control.Value());
    });
    control.Attach(std::make_unique<ButtonView>(option));
    return option;
}

}  // namespace vb
