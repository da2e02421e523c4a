// What a screen reader is told the two windows are: the main window a frame, the Info window a dialog.
#include "app/WindowRoles.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "app/Form1.h"
#include "app/Form2.h"

namespace teilomat {
namespace {

// Qt asks the factories for each class of the object's hierarchy, the most
// derived first, so the exact meta-object decides and subclasses of other
// widgets are never touched.
QAccessibleInterface* windowInterface(const QString&, QObject* object) {
  if (!object || !object->isWidgetType()) return nullptr;
  const QMetaObject* type = object->metaObject();
  if (type == &Form1::staticMetaObject)
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  if (type == &Form2::staticMetaObject)
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
  return nullptr;
}

}  // namespace

void WindowRoles::install() {
  static const bool installed = (QAccessible::installFactory(windowInterface), true);
  (void)installed;
}

}  // namespace teilomat
