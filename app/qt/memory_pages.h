#pragma once
// The button-module and keypad pages of the window: memory trees, memo and button fields,
// the access-code pages and the detection box, each widget named after its control and
// bound to it.
class QWidget;

namespace dorive {

class Dorive;

QWidget* makeModuleButtonsPage(Dorive& core);
QWidget* makeModuleKeyboardPage(Dorive& core);

}  // namespace dorive
