#include "app/core/ProductInfo.h"

#include <QCoreApplication>
#include <QDir>

namespace orvane::product {

QString name()
{
    return QString::fromLatin1(kName);
}

QString legalCopyright()
{
    return QStringLiteral("Copyright (c) 1996-2014 Halvorn software. All rights reserved.");
}

QString legalTrademarks()
{
    return QStringLiteral("Orvane-INT is a trademark of Halvorn software.");
}

QString programFolder()
{
    // applicationDirPath() already has no trailing separator except for a
    // root folder ("/" or "C:/"), which is the form other programs expect.
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace orvane::product
