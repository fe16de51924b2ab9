# The product's version information, in one place: the program reads it
# through a generated header, and a Windows build also carries it in the
# executable's version resource, where other programs look for it.
set(ORVANE_PRODUCT_NAME "Orvane-INT")
set(ORVANE_LEGAL_COPYRIGHT "Copyright (c) 1996-2014 Halvorn software. All rights reserved.")
set(ORVANE_LEGAL_TRADEMARKS "Orvane-INT is a trademark of Halvorn software.")
set(ORVANE_COMPANY "Halvorn software")
