#pragma once

#include "languages.h"
#include "platform/files.h"
#include "translatable.h"

#include <QByteArrayList>
#include <QString>

// A text in the notation of language files: printable ASCII in quoted runs, tabs and line
// breaks as "\t" and "\n", every other byte as "$" and two hex digits. Characters beyond
// ASCII go as their Windows-1252 byte when that reads back as the same text, else as UTF-8.
QByteArray encodeLngValue(const QString &text);

// The first lines of a template: the placeholder language name, the application texts,
// and the block of every application-owned form of the registry that belongs in it.
QByteArrayList newLanguageTemplate(const Languages &language = languages(),
                                   const FormRegistry &forms = formRegistry());

// Appends the block of form under formKey to list; false, appending nothing, when form
// or list is missing or formKey is blank.
bool addFormToTemplate(TranslatableForm *form, QByteArrayView formKey, QByteArrayList *list);

// The whole template (application forms, then the floating windows that belong in it)
// written to path as one whole file, lines ended by CR LF.
platform::FileWriteResult writeLanguageTemplate(const QString &path,
                                                const Languages &language = languages(),
                                                const FormRegistry &forms = formRegistry());
