// The second line of the port-open error, for each cause.

#include "PortOpenMessage.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(PortOpenMessage, EachCauseSaysWhatToDo)
{
    const struct {
        TPortOpenFailure Failure;
        QString Line;
    } cases[] = {
        {{"COM1", "/dev/ttyS0", ENOENT, TPortFailureKind::NoDevice, {}},
         "Порт COM1 (/dev/ttyS0) не найден: такого устройства нет. Проверьте кабель анализатора и выбранный порт."},
        // Windows opens COM5 as \\.\COM5: nothing more to say.
        {{"COM5", "\\\\.\\COM5", 2, TPortFailureKind::NoDevice, {}},
         "Порт COM5 не найден: такого устройства нет. Проверьте кабель анализатора и выбранный порт."},
        {{"/dev/ttyUSB0", "/dev/ttyUSB0", EACCES, TPortFailureKind::NoPermission, {}},
         "Нет доступа к порту /dev/ttyUSB0: пользователю olga не разрешено им пользоваться. Добавьте его в группу "
         "dialout командой\nsudo usermod -aG dialout olga\nи войдите в систему заново."},
        {{"ttyUSB0", "/dev/ttyUSB0", EBUSY, TPortFailureKind::Busy, TPortHolder{4242, "minicom"}},
         "Порт ttyUSB0 (/dev/ttyUSB0) занят другой программой: minicom (процесс 4242). "
         "Закройте её и включите опрос снова."},
        {{"ttyUSB0", "/dev/ttyUSB0", EBUSY, TPortFailureKind::Busy, {}},
         "Порт ttyUSB0 (/dev/ttyUSB0) занят другой программой. Закройте её и включите опрос снова."},
        {{"/dev/pts/3", "/dev/pts/3", EBUSY, TPortFailureKind::Busy, {}, true},
         "Порт /dev/pts/3 остался в монопольном режиме, а программы, которая его держит, не видно: скорее всего, "
         "она завершилась аварийно и не сняла этот режим. Псевдотерминал хранит его, пока открыт другой конец, и "
         "обойти его может только администратор (root). Перезапустите программу, которая создаёт этот порт, и "
         "включите опрос снова."},
        {{"/dev/pts/3", "/dev/pts/3", EIO, TPortFailureKind::Other, {}}, // the system's own text for the error, in the
                                                                         // user's language
         "Порт /dev/pts/3: " + QString::fromStdString(OsErrorText(EIO)) + "."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PortOpenFailureLine(c.Failure, "olga"), c.Line);
}

} // namespace
