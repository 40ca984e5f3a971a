#include "app/windowcommands.h"

#include "app/help.h"
#include "app/mmxg.h"
#include "app/qxsz.h"
#include "frontdesk/blfpb.h"
#include "frontdesk/fwlbwh.h"
#include "frontdesk/fyt.h"
#include "frontdesk/hzty.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/kccx.h"
#include "frontdesk/syt.h"
#include "frontdesk/ypbs.h"
#include "frontdesk/ypfk.h"
#include "frontdesk/yxqyj.h"
#include "frontdesk/zgyy.h"
#include "frontdesk/zyhzfy.h"
#include "reports/cwzhbb.h"
#include "reports/grsrbb.h"
#include "reports/hcbb.h"
#include "reports/hzxibb.h"
#include "reports/jrdzbb.h"
#include "reports/ypbsbb.h"
#include "reports/ypckbb.h"
#include "reports/ypfkbb.h"
#include "reports/yphztybb.h"
#include "reports/yprkbb.h"
#include "reports/yyhzbb.h"
#include "reports/zyhzhzb.h"
#include "stock/hjt.h"
#include "stock/yprk.h"
#include "stock/ypzlwh.h"
#include "stock/yzcx.h"

namespace MainCommands {
namespace {
template <class Window>
QWidget* Make() {
  return new Window;
}

// Every window command. The shop windows reached under the clinic's
// captions need the same right as under the shop's own.
const WindowCommand kCommands[] = {
    {"N4Click", "商品资料维护", "资料维护", "资料维护", "资料维护", Make<Typzl>},
    {"N40Click", "商品入库", "产品入库", "产品入库操作", "产品入库", Make<Typrk>},
    {"N41Click", "商品出库", "产品出库", "产品出库操作", "产品出库", Make<TFormhjt>},
    {"N15Click", "密码修改", "密码修改", "系统设置", nullptr, Make<TFormmaxg>},
    {"N42Click", "权限设置", "权限设置", "系统设置", "系统设置", Make<TFormqxsz>},
    {"N33Click", "老板查询", "老板查询", "财务统计", "老板查询", Make<TFormyzcx>},
    {"N7Click", "版权信息", "版权信息", kHelp, nullptr, Make<TFormhelp>},
    {"NypzlClick", "药品资料维护", "药品资料维护", "药房管理", "资料维护", Make<Typzl>},
    {"NyprkClick", "药品入库", "药品入库", "药房管理", "产品入库", Make<Typrk>},
    {"N13Click", "划价台", "划价台", "门诊前台", "产品出库", Make<TFormhjt>},
    {"N14Click", "权限设置", "权限设置", "药房管理", "系统设置", Make<TFormqxsz>},
    {"N25Click", "职工用药", "职工用药", "门诊前台", nullptr, Make<TFormzgyy>},
    {"N26Click", "收银台", "收银台", "门诊前台", nullptr, Make<TFormsyt>},
    {"N10Click", "付药台", "付药台", "门诊前台", nullptr, Make<TFormfyt>},
    {"N43Click", "今日患者信息报表", "今日患者信息报表", "门诊前台", nullptr, Make<TFormjrhzxi>},
    {"N39Click", "住院患者费用管理", "住院患者费用管理", "门诊前台", nullptr, Make<Tzyhzfygl>},
    {"N24Click", "患者退药", "患者退药", "门诊前台", nullptr, Make<TFormhzty>},
    {"N23Click", "药品反库", "药品反库", "药房管理", nullptr, Make<TFormypfk>},
    {"N29Click", "药品报损信息", "药品报损信息", "药房管理", nullptr, Make<TFormypbs>},
    {"NfwlbClick", "服务类别维护", "服务类别维护", "药房管理", nullptr, Make<Tfwlbwh>},
    {"N44Click", "财务比例分配设置单", "财务比例分配设置单", "药房管理", nullptr, Make<TFormblfpsz>},
    {"N28Click", "低库存报警", "低库存报警", "药房管理", nullptr, Make<TFormkccx>},
    {"N38Click", "药品过期预警", "药品过期预警", "药房管理", nullptr, Make<TFormyxqyj>},
    {"N331Click", "卫材报表", "卫材报表", "统计报表", nullptr, Make<TFormhcbb>},
    {"N22Click", "个人收入报表", "个人收入报表", "统计报表", nullptr, Make<TFormgrsrbb>},
    {"N35Click", "今日对账报表", "今日对账报表", "统计报表", nullptr, Make<TFormdzbb>},
    {"N36Click", "汇总对账报表", "汇总对账报表", "统计报表", nullptr, Make<TFormhzb>},
    {"N21Click", "财务综合报表", "财务综合报表", "统计报表", nullptr, Make<TFormcwzhbb>},
    {"N37Click", "住院患者费用统计表", "住院患者费用统计表", "统计报表", nullptr, Make<TFormzyhzhz>},
    {"N31Click", "患者信息报表", "患者信息报表", "统计报表", nullptr, Make<TFormhzxibb>},
    {"N11Click", "药品入库报表", "药品入库报表", "统计报表", nullptr, Make<TFormrkbb>},
    {"N12Click", "药品出库报表", "药品出库报表", "统计报表", nullptr, Make<TFormypckbb>},
    {"N18Click", "药品返库报表", "药品返库报表", "统计报表", nullptr, Make<TFormypfkbb>},
    {"N19Click", "药品报损报表", "药品报损报表", "统计报表", nullptr, Make<TFormbsbb>},
    {"N32Click", "患者退药报表", "患者退药报表", "统计报表", nullptr, Make<TFormyphztybb>},
};
}  // namespace

std::span<const WindowCommand> All() { return kCommands; }
}  // namespace MainCommands
