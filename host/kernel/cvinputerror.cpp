#include "cvinputerror.h"

CVInputError::CVInputError(const QString& message) : std::runtime_error(message.toStdString()) {}

CVInputError::~CVInputError() = default;
