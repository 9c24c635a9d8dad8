#include "pellbrook/dialog_template.h"

namespace pellbrook {

const std::array<DialogControl, 18>& safeModeDialogControls()
{
    using K = ControlKind;
    static const std::array<DialogControl, 18> controls{{
        {RestartButton, K::DefaultButton, "Перезагрузка", NoImage, 220, 229, 60, 14},
        {CloseButton, K::Button, "Закрыть", NoImage, 289, 229, 50, 14},
        {Unaddressed, K::Icon, "", ComputerIcon, 43, 62, 21, 20},
        {Unaddressed, K::Icon, "", SafeModeIcon, 43, 103, 21, 20},
        {Unaddressed, K::Icon, "", NetworkIcon, 43, 144, 21, 20},
        {Unaddressed, K::Icon, "", DsRepairIcon, 43, 184, 21, 20},
        {Unaddressed, K::EtchedLine, "", NoImage, 29, 222, 310, 1},
        {Unaddressed, K::Label, "<B>Обычная перезагрузка", NoImage, 76, 53, 200, 8},
        {Unaddressed, K::Label, "<B>Безопасный режим", NoImage, 76, 88, 200, 8},
        {Unaddressed, K::Label, "<B>Безопасный режим с поддержкой сети", NoImage, 76, 129, 200, 8},
        {Unaddressed, K::Label, "<B>Безопасный режим с восстановлением службы каталогов", NoImage, 76, 170, 240, 8},
        {NormalChoice, K::Choice,
         "Перезагрузка в обычном режиме. Все драйвера, службы и программы будут загружены при старте Windows.", NoImage,
         76, 62, 249, 20},
        {MinimalChoice, K::Choice,
         "Перезагрузка в безопасном режиме без доступа к локальной сети или интернет. При старте системы будет "
         "загружен только минимально-необходимый набор драйверов.",
         NoImage, 76, 98, 247, 25},
        {NetworkChoice, K::Choice,
         "Перезагрузка в безопасном режиме с поддержкой доступа к сети. При старте системы будет загружен только "
         "минимально-необходимый набор драйверов.",
         NoImage, 76, 140, 240, 24},
        {DsRepairChoice, K::Choice,
         "Этот режим может быть использован только на контроллерах домена Windows. С его помощью производится "
         "восстановление службы каталогов.",
         NoImage, 76, 180, 230, 25},
        {WebLink, K::Link, "<URL>Visit our web site", NoImage, 34, 231, 104, 8},
        {Unaddressed, K::Banner, "", BannerBitmap, 7, 7, 332, 41},
        {Unaddressed, K::Label, "Version 1.0.1002", NoImage, 277, 209, 62, 8},
    }};
    return controls;
}

} // namespace pellbrook
