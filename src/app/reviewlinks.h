#pragma once

#include <QByteArray>
#include <QString>

// The link-collection server below which "route.php" answers.
QString LinkCollectionBase();

// The address that shows the link collection for a subject: query is the subject phrase in
// its query form, origin the letter that tells where the offer was made. Both values are
// percent-encoded.
QString LinkCollectionAddress(const QByteArray &query, const QString &origin);
