#pragma once

#include "translatable.h"

class QWidget;

// Makes a Qt window translatable: captions are window titles, texts of buttons, labels,
// check boxes, group boxes and tab pages, texts of QActions, the "caption" property of
// panels; hints are tool tips; component names are object names. Lives as a member of the
// window and keeps it registered for as long as the window exists.
class FormRegistration final
{
  public:
    FormRegistration(QWidget *window, QByteArray formKey, FormOwner owner, bool inTemplate);
    ~FormRegistration();
    FormRegistration(const FormRegistration &) = delete;
    FormRegistration &operator=(const FormRegistration &) = delete;

    TranslatableForm &form();

  private:
    std::unique_ptr<TranslatableForm> m_form;
};
