#pragma once
// Every value class, for code that builds or reads whole trees.
#include "xmlrpc/XrArray.h"
#include "xmlrpc/XrBinary.h"
#include "xmlrpc/XrBoolean.h"
#include "xmlrpc/XrDateTime.h"
#include "xmlrpc/XrDouble.h"
#include "xmlrpc/XrErrors.h"
#include "xmlrpc/XrFault.h"
#include "xmlrpc/XrInt4.h"
#include "xmlrpc/XrString.h"
#include "xmlrpc/XrStruct.h"
