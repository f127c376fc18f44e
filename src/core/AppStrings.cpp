// The library's compiled-in string table (UTF-8).
#include <algorithm>
#include <iterator>

#include "appconfig/AppTools.h"

namespace {

struct StringEntry {
  unsigned id;
  const char* text;
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
    {13500, "&OK"},
    {13502, "A&nnuler"},
    {13504, "&Aide"},
    {13505, "&Précédent"},
    {13507, "&Suivant"},
    {13509, "Valeur"},
    {13510, "La value doit être comprise dans l'intervalle [%s,%s]."},
    {13511, "Nom"},
    {13512, "Unité"},
    {13602, "%d n'est pas une valeur valide. Veuillez spécifier une valeur entre 0 et %s pour ce champ."},
    {13603, "une valeur est manquante dans l'adresse"},
    {13613, "RO"},
    {13630, "EX"},
    {13674, "Position"},
    {13676, "La valeur par défaut %lu ne peut pas être affectée dans %s (%s) parce que cette valeur n'est pas dans l'énumération."},
    {13677, "La valeur %lu ne peut pas être affectée dans %s (%s) parce que cette valeur n'est pas dans l'énumération."},
    {13678, "Le texte %s ne peut pas être affecté à l'index %lu dans %s (%s)."},
    {13679, "La valeur correspondant à l'index %lu n'existe pas dans %s (%s)."},
    {13680, "Taille des données incohérente dans SetData pour le paramètre %s (%s)."},
    {13681, "Index invalide (%lu) dans SetData pour le paramètre %s (%s)."},
    {13682, "Paramètre %s non trouvé dans le groupe %s (%s)."},
    {13683, "Erreur de taille dans le paramètre %s."},
    {13684, "Index invalide (%lu) pour le paramètre %s (%s)."},
    {13685, "Lecture d'un paramètre dans le groupe %s (%s) mais la clé est vide."},
    {13686, "Lecture du paramètre %s dans %s (%s) mais le paramètre n'a pas été trouvé."},
    {13687, "Mauvaise base %lu entrée dans %s."},
    {13688, "Essai de convertir une chaine vide en un mot 32 bits."},
    {13689, "Erreur dans le changement du type d'un variant."},
    {13690, "Erreur: "},
    {13691, "Impossible d'ouvrir %s."},
    {13692, "&Fermer"},
    {13693, "Fichier %s. "},
    {13694, "%s. "},
    {57728, "&Propriétés\tSPACE"},
    {57729, "&Editer\tF2"},
    {57730, "Cliquez pour dérouler le menu d'options."},
    {57731, "Simple clic pour éditer en place. Double clic pour afficher une boîte d'edition. "},
    {57732, "Permer d'afficher différentes catégories de paramètres."},
    {57733, "Ajouter un nouvel élément dans la liste."},
    {57734, "Supprimer l'élément sélectionné de la liste."},
    {57735, "Déplace l'élément sélectionné vers le haut."},
    {57736, "Déplace l'élément sélectionné vers le bas."},
    {57737, "Nom du paramètre."},
    {57738, "Description du paramètre.."},
    {57739, "Liste des paramètres disponibles"},
    {57740, "Liste des paramètres configurés"},
    {57741, "Cliquez ici pour positionner le paramètre à sa valeur par défaut."},
    {57742, "Valeur de l'adresse TCP/IP."},
    {57743, "Cliquer sur le bouton droit pour ouvrir le menu."},
    {57744, "Cliquez sur la valeur désirée parmi la liste des choix possibles."},
    {57745, "Cliquez sur une ou plusieurs valeurs pour les sélectionner parmi la liste des choix possibles."},
    {57746, "Champs 'codef' de la mailbox."},
    {57747, "Champs 'status' de la mailbox."},
    {57748, "Champs 'ticuser_root' de la mailbox."},
    {57749, "Champs 'piduser' de la mailbox."},
    {57750, "Champs 'mode' de la mailbox."},
    {57751, "Champs 'time' de la mailbox."},
    {57752, "Champs 'stop' de la mailbox."},
    {57753, "Champs 'nfonc' de la mailbox."},
    {57754, "Champs 'ncard' de la mailbox."},
    {57755, "Champs 'nchan' de la mailbox."},
    {57756, "Champs 'nes' de la mailbox."},
    {57757, "Champs 'nb' de la mailbox."},
    {57758, "Champs 'typvar' de la mailbox."},
    {57759, "Champs 'adr' de la mailbox."},
    {57760, "Champs 'ticuser_dispcyc' de la mailbox."},
    {57761, "Champs 'ticuser_protocol' de la mailbox."},
    {57762, "Champs 'user_threadID' de la mailbox."},
    {57763, "Champs 'dispcyc_version' de la mailbox."},
    {57764, "Champs 'DifUserParam' de la mailbox."},
    {57765, "Champs 'filler' de la mailbox."},
    {57766, "Zone de données de la mailbox"},
    {57767, "Valeur maximum autorisée."},
    {57768, "Valeur minimum autorisée."},
    {57769, "Entrez une valeur numérique pour changer la valeur du paramètre."},
    {57770, "Entrez une chaîne de caractères pour changer la valeur du paramètre."},
};

}  // namespace

std::string CAppTools::LoadString(unsigned id) {
  const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                    [](const StringEntry& e, unsigned key) { return e.id < key; });
  if (it == std::end(kStrings) || it->id != id) return std::string();
  return it->text;
}
