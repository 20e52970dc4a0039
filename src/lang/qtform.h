#pragma once

#include "translatable.h"

class QWidget;

// Makes a Qt window translatable: captions are window titles, texts of buttons, labels,
// check boxes, group boxes and tab pages, texts of QActions, the "caption" property of
// panels; hints are tool tips; component names are object names. Lives as a member of the
// window and keeps it registered for as long as the window exists.
class TFormRegistration final
{
  public:
    TFormRegistration(QWidget *window, QByteArray formKey, TFormOwner owner, bool inTemplate);
    ~TFormRegistration();
    TFormRegistration(const TFormRegistration &) = delete;
    TFormRegistration &operator=(const TFormRegistration &) = delete;

    TTranslatableForm &Form();

  private:
    std::unique_ptr<TTranslatableForm> m_form;
};
