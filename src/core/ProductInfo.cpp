#include "core/ProductInfo.h"

#include "ProductStrings.h"

#include <QCoreApplication>
#include <QDir>

namespace orvane::product {

static_assert(ORVANE_VERSION_MAJOR == kMajor && ORVANE_VERSION_MINOR == kMinor
                  && ORVANE_VERSION_PATCH == kRevision,
              "the project version and the product information disagree");

QString name()
{
    return QStringLiteral(ORVANE_PRODUCT_NAME);
}

QString legalCopyright()
{
    return QStringLiteral(ORVANE_LEGAL_COPYRIGHT);
}

QString legalTrademarks()
{
    return QStringLiteral(ORVANE_LEGAL_TRADEMARKS);
}

QString programFolder()
{
    // applicationDirPath() already has no trailing separator except for a
    // root folder ("/" or "C:/"), which is the form other programs expect.
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

} // namespace orvane::product
