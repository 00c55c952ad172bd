// kovra-cli card: which folder counts as the recorder's card, and why.
#include <iostream>

#include "cli/context.h"
#include "words/shown_names.h"

namespace kovra::cli {

void addCardCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("card", "Show the card's folder and why it counts");
    addJsonFlag(*command, context);
    command->callback([&context] {
        const FoundCard& card = context.card();
        if (context.json) {
            // A folder given with --card is taken as it is: nothing is known of its device.
            bool given = card.device.empty();
            nlohmann::json document;
            words::putName(document, "root", card.root);
            if (given)
                document["device"] = nullptr;
            else
                words::putName(document, "device", card.device);
            document["removable"] = given ? nlohmann::json() : nlohmann::json(true);
            // How it was found, by name; "removable" (true, or null for --card) stays for the
            // scripts that read it.
            document["foundBy"] = given ? "option" : "removableMedia";
            printJson(document);
            return;
        }
        std::cout << card.root << '\n' << "  " << card.reason;
        if (!card.device.empty())
            std::cout << " (" << card.device << ")";
        std::cout << '\n';
    });
}

} // namespace kovra::cli
